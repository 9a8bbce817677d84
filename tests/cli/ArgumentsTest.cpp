// The command line: what each command takes, and every line that must be refused before
// the file is touched.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "cli/Arguments.h"

namespace cli {
namespace {

ParseResult Parse(std::initializer_list<const char*> words) {
    std::vector<const char*> argv{"pci3916cfg"};
    argv.insert(argv.end(), words.begin(), words.end());
    return ParseArguments(static_cast<int>(argv.size()), argv.data());
}

Arguments Accepted(std::initializer_list<const char*> words) {
    const ParseResult result = Parse(words);
    if (const auto* error = std::get_if<UsageError>(&result))
        ADD_FAILURE() << "refused: " << error->Message;
    const auto* arguments = std::get_if<Arguments>(&result);
    return arguments ? *arguments : Arguments{};
}

std::string Refusal(std::initializer_list<const char*> words) {
    const ParseResult result = Parse(words);
    const auto* error = std::get_if<UsageError>(&result);
    return error ? error->Message : "(accepted)";
}

TEST(Arguments, FileOptionsAndCommandsInAnyOrder) {
    Arguments a = Accepted({"--root", "/t/", "--module", "X.dll", "list", "--json"});
    EXPECT_EQ(a.Root, "/t/");
    EXPECT_EQ(a.Module, "X.dll");
    EXPECT_EQ(a.Command, CommandKind::List);
    EXPECT_TRUE(a.Json);

    a = Accepted({"show", "12", "--file=/x/y.reg"});
    EXPECT_EQ(a.File, "/x/y.reg");
    EXPECT_EQ(a.Command, CommandKind::Show);
    EXPECT_EQ(a.Index, 12);
    EXPECT_FALSE(a.Root);

    a = Accepted({"remove", "0", "--dry-run"});
    EXPECT_EQ(a.Command, CommandKind::Remove);
    EXPECT_EQ(a.Index, 0);
    EXPECT_TRUE(a.DryRun);

    EXPECT_EQ(Accepted({"check"}).Command, CommandKind::Check);
    EXPECT_TRUE(std::holds_alternative<HelpRequest>(Parse({"set", "--help"})));
    EXPECT_TRUE(std::holds_alternative<HelpRequest>(Parse({"-h"})));
}

TEST(Arguments, EditsNameEachGroupOnce) {
    const Arguments a =
        Accepted({"set", "3", "--switch-id", "15", "--edge", "ch16=rising", "--edge=ch48=falling",
                  "--latch", "ch0=enable", "--latch", "ch32=disable"});
    EXPECT_EQ(a.Index, 3);
    EXPECT_EQ(a.Edits.SwitchId, 15);
    EXPECT_FALSE(a.Edits.Rising[0]);
    EXPECT_EQ(a.Edits.Rising[1], true);
    EXPECT_FALSE(a.Edits.Rising[2]);
    EXPECT_EQ(a.Edits.Rising[3], false);
    EXPECT_EQ(a.Edits.LatchEnabled[0], true);
    EXPECT_FALSE(a.Edits.LatchEnabled[1]);
    EXPECT_EQ(a.Edits.LatchEnabled[2], false);

    const Arguments add = Accepted({"add", "--latch", "ch48=enable", "--json"});
    EXPECT_EQ(add.Command, CommandKind::Add);
    EXPECT_EQ(add.Edits.LatchEnabled[3], true);
    EXPECT_TRUE(add.Json);
    EXPECT_FALSE(Accepted({"add"}).Edits.Any()); // add alone is the window's Add
}

TEST(Arguments, ExportAndApply) {
    const Arguments exported = Accepted({"export", "--output=t.json"});
    EXPECT_EQ(exported.Command, CommandKind::Export);
    EXPECT_EQ(exported.Output, "t.json");
    // The options may come before the command, as the others do.
    const Arguments applied = Accepted({"--keep-others", "apply", "doc.json", "--dry-run"});
    EXPECT_EQ(applied.Command, CommandKind::Apply);
    EXPECT_EQ(applied.Document, "doc.json");
    EXPECT_TRUE(applied.KeepOthers);
    EXPECT_TRUE(applied.DryRun);
    EXPECT_FALSE(applied.CheckOnly);
    EXPECT_TRUE(Accepted({"apply", "d.json", "--check-only"}).CheckOnly);
}

TEST(Arguments, NumbersAreZeroToFifteen) {
    for (const char* bad : {"16", "+3", "3x", "", "0x3", " 3"})
        EXPECT_EQ(Refusal({"show", bad}),
                  std::string("show takes a template index from 0 to 15, not \"") + bad + "\"")
            << bad;
    EXPECT_EQ(Refusal({"show", "-1"}), "unknown option \"-1\"");
    EXPECT_EQ(Refusal({"set", "1", "--switch-id", "16"}),
              "--switch-id takes a switch ID from 0 to 15, not \"16\"");
    EXPECT_EQ(Accepted({"set", "15", "--switch-id", "0"}).Edits.SwitchId, 0);
}

TEST(Arguments, RefusedLines) {
    struct Case {
        std::initializer_list<const char*> Words;
        const char* Message;
    };
    const Case cases[] = {
        {{}, "no command given"},
        {{"lst"}, "unknown command \"lst\""},
        {{"list", "--verbose"}, "unknown option \"--verbose\""},
        {{"list", "--root"}, "--root needs a value"},
        {{"--root", "a/", "--root", "b/", "list"}, "--root is given twice"},
        {{"--root", "a/", "--file", "b.reg", "list"},
         "--root and --file name the file twice: give one of them"},
        {{"--module", "M.dll", "--file", "b.reg", "list"},
         "--module builds the path with --root; it does not go with --file"},
        {{"show"}, "show needs a template index N"},
        {{"remove", "1", "2"}, "unexpected \"2\" after remove"},
        {{"list", "3"}, "unexpected \"3\" after list"},
        {{"set", "1"}, "set needs at least one of --switch-id, --edge, --latch"},
        {{"set", "1", "--switch-id", "2", "--switch-id", "3"}, "--switch-id is given twice"},
        {{"set", "1", "--edge", "ch0=rising", "--edge", "ch0=falling"},
         "--edge ch0 is given twice"},
        {{"set", "1", "--edge", "ch8=rising"},
         "--edge takes GROUP=rising|falling with GROUP ch0, ch16, ch32 or ch48, not "
         "\"ch8=rising\""},
        {{"set", "1", "--latch", "ch0=rising"},
         "--latch takes GROUP=enable|disable with GROUP ch0, ch16, ch32 or ch48, not "
         "\"ch0=rising\""},
        {{"set", "1", "--edge", "ch0"},
         "--edge takes GROUP=rising|falling with GROUP ch0, ch16, ch32 or ch48, not \"ch0\""},
        {{"remove", "1", "--switch-id", "2"}, "--switch-id goes with set or add, not remove"},
        {{"list", "--latch", "ch0=enable"}, "--latch goes with set or add, not list"},
        {{"check", "--json"}, "--json goes with list, show or add, not check"},
        {{"list", "--dry-run"}, "--dry-run goes with set, add, remove or apply, not list"},
        {{"apply"}, "apply needs the document DOC.json"},
        {{"apply", "a.json", "b.json"}, "unexpected \"b.json\" after apply"},
        {{"export", "--keep-others"}, "--keep-others goes with apply, not export"},
        {{"set", "1", "--edge", "ch0=rising", "--check-only"},
         "--check-only goes with apply, not set"},
        {{"apply", "a.json", "--output", "b"}, "--output goes with export, not apply"},
        {{"apply", "a.json", "--check-only", "--dry-run"},
         "--check-only writes nothing and prints no diff; it does not go with --dry-run"},
        {{"export", "--json"}, "--json goes with list, show or add, not export"},
        {{"add", "--dry-run", "--json"}, "--dry-run prints a diff; it does not go with --json"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Refusal(c.Words), c.Message);
}

} // namespace
} // namespace cli
