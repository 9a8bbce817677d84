// The resource script reader on good scripts and on malformed ones: every error names the
// file and line, and no input makes it fail in any other way.
#include <gtest/gtest.h>

#include <map>

#include "platform/linux/ResourceScript.h"
#include "platform/linux/Styles.h"

namespace uitest {
namespace {

namespace rc = ui::rc;
namespace style = ui::style;
using ui::desktop::Kind;

// A 1 by 1 pixel, 24-bit bitmap (blue, green, red = 1, 2, 3).
std::string TinyBitmap() {
    std::string bytes = "BM";
    auto u32 = [&bytes](std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    auto u16 = [&bytes](std::uint16_t value) {
        bytes += static_cast<char>(value & 0xFF);
        bytes += static_cast<char>(value >> 8);
    };
    u32(58), u32(0), u32(54);
    u32(40), u32(1), u32(1), u16(1), u16(24), u32(0), u32(4), u32(0), u32(0), u32(0), u32(0);
    bytes += std::string("\x01\x02\x03\x00", 4);
    return bytes;
}

struct Files {
    std::map<std::string, std::string, std::less<>> Contents;
    rc::FileLookup Lookup() const {
        return [this](std::string_view name) -> std::optional<std::string_view> {
            const auto found = Contents.find(name);
            if (found == Contents.end())
                return std::nullopt;
            return std::string_view(found->second);
        };
    }
};

const char kDefines[] = "// ids\n"
                        "#pragma once\n"
                        "#define IDD_MAIN 0x64\n"
                        "#define IDC_TREE 102\n"
                        "#define IDC_BASE (IDC_TREE + 898)\n"
                        "#ifdef APSTUDIO_INVOKED\n"
                        "#ifndef APSTUDIO_READONLY_SYMBOLS\n"
                        "#define _APS_NEXT_RESOURCE_VALUE 101\n"
                        "#endif\n"
                        "#endif\n";

const char kGoodScript[] =
    "#include <windows.h>\n"
    "#include \"defs.h\"\n"
    "#if defined(RC_INVOKED) && !defined(APSTUDIO_INVOKED)\n"
    "#define CHOSEN 1\n"
    "#else\n"
    "#define CHOSEN 2\n"
    "#endif\n"
    "LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n"
    "/* a comment\n"
    "   over lines */\n"
    "IDD_MAIN DIALOGEX DISCARDABLE 10, 20, 346, 254\n"
    "STYLE DS_SETFONT | WS_POPUP | WS_VISIBLE | WS_CAPTION // trailing comment\n"
    "EXSTYLE WS_EX_TOOLWINDOW\n"
    "CAPTION \"Say \"\"hi\"\"\\tnow\"\n"
    "FONT 8, \"MS Sans Serif\", 0, 0, 0x1\n"
    "BEGIN\n"
    "    CONTROL \"Tree1\",IDC_TREE,\"SysTreeView32\",TVS_HASBUTTONS |\n"
    "            WS_BORDER | WS_TABSTOP,7,9,88,218\n"
    "    CONTROL \"\",106,\"static\",SS_GRAYRECT | NOT WS_VISIBLE,106,18,224,194\n"
    "    LTEXT \"a\\nb\",IDC_STATIC,1,2,3,4,SS_SUNKEN\n"
    "    DEFPUSHBUTTON \"Save\",IDC_BASE,236,236,44,13,WS_GROUP\n"
    "    COMBOBOX CHOSEN,182,172,43,176,CBS_DROPDOWN | WS_VSCROLL\n"
    "    GROUPBOX \"Box\",-1,5,0,208,56\n"
    "    CONTROL 105,7,\"Static\",SS_BITMAP,29,1,15,15\n"
    "END\n"
    "200 DIALOG 0, 0, 20, 10\n"
    "STYLE WS_CHILD\n"
    "{\n"
    "    CONTROL \"r\",7,\"Button\",BS_AUTORADIOBUTTON | WS_GROUP,1,1,9,8\n"
    "    CONTROL \"t\",8,\"SysTabControl32\",0x0,1,1,9,8\n"
    "}\n"
    "105 BITMAP \"res\\\\tiny.bmp\"\n";

Files GoodFiles() {
    Files files;
    files.Contents["defs.h"] = kDefines;
    files.Contents["tiny.bmp"] = TinyBitmap();
    return files;
}

TEST(ResourceScript, ReadsDialogsControlsAndBitmaps) {
    const Files files = GoodFiles();
    auto parsed = rc::ParseResourceScript(kGoodScript, files.Lookup(), "test.rc");
    ASSERT_TRUE(std::holds_alternative<rc::ResourceScript>(parsed))
        << std::get<std::string>(parsed);
    const rc::ResourceScript& script = std::get<rc::ResourceScript>(parsed);

    const rc::DialogTemplate* main = script.FindDialog(100);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->Style,
              style::DS_SETFONT | style::WS_POPUP | style::WS_VISIBLE | style::WS_CAPTION);
    EXPECT_EQ(main->ExStyle, 0x80u);
    EXPECT_EQ(main->Caption, "Say \"hi\"\tnow");
    EXPECT_TRUE(main->HasFont);
    EXPECT_EQ(main->FontSize, 8);
    EXPECT_EQ(main->FontName, "MS Sans Serif");
    EXPECT_EQ((std::array{main->X, main->Y, main->Width, main->Height}),
              (std::array{10, 20, 346, 254}));
    ASSERT_EQ(main->Controls.size(), 7u);

    const rc::ControlTemplate& tree = main->Controls[0];
    EXPECT_EQ(tree.Kind, Kind::TreeView);
    EXPECT_EQ(tree.Id, 102);
    EXPECT_EQ(tree.Style,
              style::WS_CHILD | style::WS_VISIBLE | 0x1u | style::WS_BORDER | style::WS_TABSTOP);
    EXPECT_EQ((std::array{tree.X, tree.Y, tree.Width, tree.Height}), (std::array{7, 9, 88, 218}));

    EXPECT_EQ(main->Controls[1].Kind, Kind::Text) << "class names ignore case";
    EXPECT_EQ(main->Controls[1].Style, style::WS_CHILD | 0x5u) << "NOT clears a default";
    EXPECT_EQ(main->Controls[2].Text, "a\nb");
    EXPECT_EQ(main->Controls[2].Id, -1);
    EXPECT_EQ(main->Controls[2].Style,
              style::WS_CHILD | style::WS_VISIBLE | style::WS_GROUP | 0x1000u);
    EXPECT_EQ(main->Controls[3].Kind, Kind::DefPushButton);
    EXPECT_EQ(main->Controls[3].Id, 1000);
    EXPECT_EQ(main->Controls[3].Style & style::WS_TABSTOP, style::WS_TABSTOP);
    EXPECT_EQ(main->Controls[4].Kind, Kind::ComboBox);
    EXPECT_EQ(main->Controls[4].Id, 1) << "the #if branch for RC_INVOKED";
    EXPECT_EQ(main->Controls[4].Style & style::CBS_TYPEMASK, 2u);
    EXPECT_EQ(main->Controls[5].Kind, Kind::GroupBox);
    EXPECT_EQ(main->Controls[6].Kind, Kind::Picture);
    EXPECT_EQ(main->Controls[6].ImageId, 105);

    const rc::DialogTemplate* page = script.FindDialog(200);
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(page->HasFont);
    EXPECT_EQ(page->Controls[0].Kind, Kind::RadioButton);
    EXPECT_EQ(page->Controls[1].Kind, Kind::TabControl);

    const rc::BitmapResource* bitmap = script.FindBitmap(105);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Pixels.width, 1);
    EXPECT_EQ(bitmap->Pixels.rgb, (std::vector<std::uint8_t>{3, 2, 1}));
}

struct Malformed {
    const char* Script;
    const char* Error;
};

TEST(ResourceScript, ReportsTheFileAndLineOfEachError) {
    const Malformed cases[] = {
        {"1 DIALOG 0, 0, 1, 1\nCAPTION \"open\nBEGIN\nEND\n", "test.rc:2: unterminated string"},
        {"1 DIALOG 0, 0, 1, 1\nSTYLE WS_POPUP | WS_SPARKLE\nBEGIN\nEND\n",
         "test.rc:2: undefined name WS_SPARKLE"},
        {"1 DIALOG 0, 0, 1\nBEGIN\nEND\n", "test.rc:2: expected ','"},
        {"1 DIALOG 0, 0, 1, 1\nBEGIN\n  CONTROL \"\",1,\"Edit\",0,1,1,1,1\nEND\n",
         "test.rc:3: unsupported control class \"Edit\""},
        {"1 DIALOG 0, 0, 1, 1\nBEGIN\n  CONTROL \"\",1,\"Button\",BS_CHECKBOX,1,1,1,1\nEND\n",
         "test.rc:3: unsupported button style"},
        {"1 DIALOG 0, 0, 1, 1\nBEGIN\n  PUSHBUTTON \"x\",1,1,1,1,1\n",
         "test.rc:3: unexpected end of script"},
        {"1 DIALOG 0,0,1,1\nBEGIN\nEND\n1 DIALOG 0,0,1,1\nBEGIN\nEND\n",
         "test.rc:4: dialog 1 is defined twice"},
        {"#include \"missing.h\"\n", "test.rc:1: cannot find include file \"missing.h\""},
        {"#include \"bad.h\"\n", "bad.h:2: unexpected character '@'"},
        {"#ifdef X\n#else\n#else\n#endif\n", "test.rc:3: #else after #else"},
        {"\n#endif\n", "test.rc:2: #endif without #if"},
        {"#if 1\n1 BITMAP \"tiny.bmp\"\n", "test.rc:1: #if without #endif"},
        {"#define F(x) x\n", "test.rc:1: macros with parameters are not supported"},
        {"#include \"loop.h\"\n", "loop.h:1: #include nested too deeply"},
        {"#define A B\n#define B A\n1 DIALOG A,0,1,1\n", "test.rc:1: expression nested too deeply"},
        {"1 DIALOG 99999999999, 0, 1, 1\n", "test.rc:1: number too large"},
        {"1 DIALOG 40000, 0, 1, 1\n", "test.rc:1: coordinate out of range"},
        {"0 DIALOG 0, 0, 1, 1\n", "test.rc:1: resource id out of range"},
        {"1 MENU BEGIN END\n", "test.rc:1: unsupported resource type MENU"},
        {"1 BITMAP \"nowhere.bmp\"\n", "test.rc:1: cannot find bitmap file \"nowhere.bmp\""},
        {"1 BITMAP \"cut.bmp\"\n", "test.rc:1: cut.bmp: bitmap data truncated"},
        {"1 BITMAP \"defs.h\"\n", "test.rc:1: defs.h: not a bitmap file"},
        {"1 DIALOG 0,0,1,1\nCAPTION \"a\\qb\"\n", "test.rc:2: unknown escape '\\q' in string"},
        {"/* never closed\n1 DIALOG 0,0,1,1\n", "test.rc:1: unterminated comment"},
    };
    Files files = GoodFiles();
    files.Contents["bad.h"] = "#define OK 1\n#define BAD @\n";
    files.Contents["loop.h"] = "#include \"loop.h\"\n";
    files.Contents["cut.bmp"] = TinyBitmap().substr(0, 55);
    for (const Malformed& test : cases) {
        const auto parsed = rc::ParseResourceScript(test.Script, files.Lookup(), "test.rc");
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << test.Script;
        EXPECT_EQ(std::get<std::string>(parsed), test.Error) << test.Script;
    }
}

// "<test.rc or defs.h>:<line>: <reason>" on one line.
bool IsLocated(std::string_view error) {
    std::size_t at = 0;
    if (error.starts_with("test.rc:"))
        at = 8;
    else if (error.starts_with("defs.h:"))
        at = 7;
    else
        return false;
    const std::size_t digits = at;
    while (at < error.size() && error[at] >= '0' && error[at] <= '9')
        ++at;
    if (at == digits || error.substr(at, 2) != ": " || at + 2 == error.size())
        return false;
    for (const char c : error)
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

// Every cut of a good script and every single-byte change of it either reads or fails
// with a located error; nothing else may happen (run it under the sanitizers).
TEST(ResourceScript, DamagedScriptsFailCleanly) {
    const Files files = GoodFiles();
    const std::string good = kGoodScript;
    auto check = [&](const std::string& script) {
        const auto parsed = rc::ParseResourceScript(script, files.Lookup(), "test.rc");
        if (const auto* error = std::get_if<std::string>(&parsed)) {
            EXPECT_TRUE(IsLocated(*error)) << *error;
        }
    };
    for (std::size_t length = 0; length <= good.size(); ++length)
        check(good.substr(0, length));
    const char replacements[] = {'"', ',', '\\', '(', '#', '\0', '9', '|', '}', '/', '\n'};
    for (std::size_t at = 0; at < good.size(); at += 3)
        for (const char replacement : replacements) {
            std::string damaged = good;
            damaged[at] = replacement;
            check(damaged);
        }
}

} // namespace
} // namespace uitest
