// The host's script lines: what each action accepts and what it refuses, and why.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "host/Script.h"

namespace host {
namespace {

struct Accepted {
    const char* Line;
    ActionKind Kind;
    int Id;
    int Number;
    bool Ok;
    const char* Text;
};

TEST(ScriptLine, ActionsAndTheirArguments) {
    const Accepted cases[] = {
        {"expand DeviceTemplate", ActionKind::Expand, 0, 0, true, "DeviceTemplate"},
        {"collapse PCI-3916", ActionKind::Collapse, 0, 0, true, "PCI-3916"},
        {"select Template 1", ActionKind::Select, 0, 0, true, "Template 1"},
        {"  select \t Template1  \r", ActionKind::Select, 0, 0, true, "Template1"},
        {"click 1006", ActionKind::Click, 1006, 0, true, ""},
        {"\tclick\t104\r", ActionKind::Click, 104, 0, true, ""},
        {"tab 1", ActionKind::Tab, 0, 1, true, ""},
        {"tab 0", ActionKind::Tab, 0, 0, true, ""},
        {"choose 1002 7", ActionKind::Choose, 1002, 7, true, ""},
        {"type 1002 12", ActionKind::Type, 1002, 0, true, "12"},
        {"type 1002 two words", ActionKind::Type, 1002, 0, true, "two words"},
        {"type 1002", ActionKind::Type, 1002, 0, true, ""},
        {"answer ok", ActionKind::Answer, 0, 0, true, ""},
        {"answer cancel", ActionKind::Answer, 0, 0, false, ""},
        {"open", ActionKind::Open, 0, 0, true, ""},
    };
    for (const Accepted& expected : cases) {
        SCOPED_TRACE(expected.Line);
        const auto parsed = ParseLine(expected.Line, 7);
        const auto* action = std::get_if<Action>(&parsed);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->Kind, expected.Kind);
        EXPECT_EQ(action->Line, 7);
        EXPECT_EQ(action->Id, expected.Id);
        EXPECT_EQ(action->Number, expected.Number);
        EXPECT_EQ(action->Ok, expected.Ok);
        EXPECT_EQ(action->Text, expected.Text);
    }
}

TEST(ScriptLine, BlankAndCommentLinesAreNoAction) {
    for (const char* line : {"", "   ", "\t\r", "#", "# click 1006", "   # note"}) {
        SCOPED_TRACE(line);
        EXPECT_TRUE(std::holds_alternative<std::monostate>(ParseLine(line, 1)));
    }
}

TEST(ScriptLine, LinesAUserCouldNotPerformAreRefusedWithTheReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"jump 3", "unknown action \"jump\""},
        {"Click 1006", "unknown action \"Click\""},
        {"expand", "expand needs a text"},
        {"collapse  \t", "collapse needs a text"},
        {"select", "select needs a text"},
        // Trailing words are refused, not dropped.
        {"click", "click needs one number"},
        {"click x", "click needs one number"},
        {"click 1006 1007", "click needs one number"},
        {"click 1006 now", "click needs one number"},
        {"click 1006x", "click needs one number"},
        {"click +5", "click needs one number"},
        {"click -5", "click needs one number"},
        {"click 99999999999", "click needs one number"},
        {"tab", "tab needs one number"},
        {"tab 1 2", "tab needs one number"},
        {"tab 1 # the DI page", "tab needs one number"},
        {"tab -1", "tab needs one number"},
        {"choose 1002", "choose needs a control id and an item number"},
        {"choose 1002 3 4", "choose needs a control id and an item number"},
        {"choose x 3", "choose needs a control id and an item number"},
        {"choose -1002 3", "choose needs a control id and an item number"},
        {"type", "type needs a control id and a text"},
        {"type abc", "type needs a control id and a text"},
        {"type -7 abc", "type needs a control id and a text"},
        {"answer", "answer needs ok or cancel"},
        {"answer maybe", "answer needs ok or cancel"},
        {"answer ok ok", "answer needs ok or cancel"},
        {"open now", "open takes no argument"},
    };
    for (const auto& [line, reason] : cases) {
        SCOPED_TRACE(line);
        const auto parsed = ParseLine(line, 12);
        const auto* error = std::get_if<ScriptError>(&parsed);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->Line, 12);
        EXPECT_EQ(error->Reason, reason);
    }
}

TEST(ScriptRun, StopsAtTheFirstRefusedLineNamingIt) {
    std::istringstream script("# start\nselect Template0\n\nclick 1006 1007\nclick 1007\n");
    std::vector<ActionKind> performed;
    const auto result = RunScriptLines(
        script, [] { return true; },
        [&](const Action& action) -> std::optional<std::string> {
            performed.push_back(action.Kind);
            return std::nullopt;
        });
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, "script line 4: click needs one number");
    EXPECT_EQ(performed, std::vector<ActionKind>{ActionKind::Select});
}

TEST(ScriptRun, AnActionThatFailsEndsTheRunWithItsLine) {
    std::istringstream script("click 104\n\nclick 555\nclick 1007\n");
    int performed = 0;
    const auto result = RunScriptLines(
        script, [] { return true; },
        [&](const Action& action) -> std::optional<std::string> {
            ++performed;
            if (action.Id == 555) {
                return std::string("no visible control 555");
            }
            return std::nullopt;
        });
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, "script line 3: no visible control 555");
    EXPECT_EQ(performed, 2);
}

TEST(ScriptRun, KeepGoingIsAskedBeforeEveryLine) {
    std::istringstream script("click 1\nclick 2\nclick 3\n");
    int performed = 0;
    const auto result = RunScriptLines(
        script, [&] { return performed < 2; },
        [&](const Action&) -> std::optional<std::string> {
            ++performed;
            return std::nullopt;
        });
    EXPECT_FALSE(result.has_value());
    EXPECT_EQ(performed, 2);
}

} // namespace
} // namespace host
