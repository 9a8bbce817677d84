// The reader of compiled resources, on what the resource compiler makes of a test script and
// on damaged or unsupported entries: every refusal names the resource, and no input makes it
// fail in any other way.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>

#include "platform/linux/ResourceFile.h"
#include "platform/linux/Styles.h"

namespace uitest {
namespace {

namespace rc = ui::rc;
namespace style = ui::style;
using ui::desktop::Kind;

std::string CompiledTestResources() {
    std::ifstream in(UI_TEST_READER_RES, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Little-endian builders of resource entries and classic dialog templates.
struct Bytes {
    std::string Data;
    Bytes& U16(std::uint16_t value) {
        Data += static_cast<char>(value & 0xFF);
        Data += static_cast<char>(value >> 8);
        return *this;
    }
    Bytes& U32(std::uint32_t value) { return U16(value & 0xFFFF).U16(value >> 16); }
    Bytes& Units(std::initializer_list<std::uint16_t> units) {
        for (const std::uint16_t unit : units)
            U16(unit);
        return U16(0);
    }
    Bytes& Text(std::string_view ascii) {
        for (const char c : ascii)
            U16(static_cast<std::uint8_t>(c));
        return U16(0);
    }
    Bytes& Ordinal(std::uint16_t value) { return U16(0xFFFF).U16(value); }
    Bytes& Align4() {
        while (Data.size() % 4 != 0)
            Data += '\0';
        return *this;
    }
};

Bytes Ord(std::uint16_t value) {
    return Bytes().Ordinal(value);
}

std::string Entry(const Bytes& type, const Bytes& name, std::string_view data) {
    Bytes header = type;
    header.Data += name.Data;
    header.Align4();
    header.U32(0).U16(0x1030).U16(0x0409).U32(0).U32(0);
    Bytes entry;
    entry.U32(static_cast<std::uint32_t>(data.size()))
        .U32(static_cast<std::uint32_t>(8 + header.Data.size()));
    entry.Data += header.Data;
    entry.Data += data;
    return entry.Align4().Data;
}

std::string DialogEntry(std::uint16_t id, std::string_view data) {
    return Entry(Ord(5), Ord(id), data);
}

// A classic template without font, menu or class, followed by `items`.
Bytes ClassicDialog(std::uint16_t count, std::string_view caption = "") {
    Bytes dialog;
    dialog.U32(style::WS_POPUP).U32(0).U16(count).U16(1).U16(2).U16(30).U16(40);
    dialog.U16(0).U16(0).Text(caption);
    return dialog;
}

Bytes& AddControl(Bytes& dialog, std::uint32_t controlStyle, std::uint16_t id,
                  std::uint16_t classAtom) {
    dialog.Align4();
    dialog.U32(controlStyle).U32(0).U16(1).U16(1).U16(8).U16(8).U16(id);
    return dialog.Ordinal(classAtom).Text("x").U16(0);
}

// A 1 by 1, 24-bit bitmap (blue, green, red = 1, 2, 3) with `colours` table entries.
std::string Dib(std::uint16_t bitsPerPixel = 24, std::uint32_t colours = 0) {
    Bytes dib;
    dib.U32(40).U32(1).U32(1).U16(1).U16(bitsPerPixel).U32(0).U32(4).U32(0).U32(0);
    dib.U32(colours).U32(0);
    for (std::uint32_t i = 0; i < colours; ++i)
        dib.U32(0x00FFFFFF);
    dib.Data += std::string("\x01\x02\x03\x00", 4);
    return dib.Data;
}

rc::Resources Read(const std::string& bytes) {
    auto read = rc::ReadResourceFile(bytes);
    if (const auto* error = std::get_if<std::string>(&read))
        ADD_FAILURE() << *error;
    return std::holds_alternative<rc::Resources>(read) ? std::get<rc::Resources>(read)
                                                       : rc::Resources{};
}

TEST(ResourceFile, ReadsWhatTheResourceCompilerMakes) {
    const rc::Resources resources = Read(CompiledTestResources());

    const rc::DialogTemplate* main = resources.FindDialog(100);
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
    ASSERT_EQ(main->Controls.size(), 8u);

    const rc::ControlTemplate& tree = main->Controls[0];
    EXPECT_EQ(tree.Kind, Kind::TreeView);
    EXPECT_EQ(tree.Id, 102);
    EXPECT_EQ(tree.Text, "Tree1");
    EXPECT_EQ(tree.Style,
              style::WS_CHILD | style::WS_VISIBLE | 0x1u | style::WS_BORDER | style::WS_TABSTOP);
    EXPECT_EQ((std::array{tree.X, tree.Y, tree.Width, tree.Height}), (std::array{7, 9, 88, 218}));

    EXPECT_EQ(main->Controls[1].Kind, Kind::Text) << "class names ignore case";
    EXPECT_EQ(main->Controls[1].Style, style::WS_CHILD | 0x5u) << "NOT clears a default";
    EXPECT_EQ(main->Controls[2].Text, "a\nb");
    EXPECT_EQ(main->Controls[2].Id, -1) << "IDC_STATIC, by keyword";
    EXPECT_EQ(main->Controls[3].Kind, Kind::DefPushButton);
    EXPECT_EQ(main->Controls[3].Style & style::WS_TABSTOP, style::WS_TABSTOP);
    EXPECT_EQ(main->Controls[4].Kind, Kind::ComboBox);
    EXPECT_EQ(main->Controls[4].Style & style::CBS_TYPEMASK, 2u);
    EXPECT_EQ(main->Controls[5].Kind, Kind::GroupBox);
    EXPECT_EQ(main->Controls[5].Id, -1) << "-1 written as a number";
    EXPECT_EQ(main->Controls[6].Kind, Kind::Picture);
    EXPECT_EQ(main->Controls[6].ImageId, 105);
    EXPECT_EQ(main->Controls[6].Text, "");
    EXPECT_EQ(main->Controls[7].Text, "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC") << "UTF-16 to UTF-8";
    EXPECT_EQ(main->Controls[7].Id, 40000) << "the extended form keeps ids above 32767";

    const rc::DialogTemplate* page = resources.FindDialog(200);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Style, style::WS_CHILD);
    EXPECT_FALSE(page->HasFont);
    ASSERT_EQ(page->Controls.size(), 2u);
    EXPECT_EQ(page->Controls[0].Kind, Kind::RadioButton);
    EXPECT_EQ(page->Controls[0].Id, 2000);
    EXPECT_EQ(page->Controls[1].Kind, Kind::TabControl);
    EXPECT_EQ((std::array{page->Controls[1].X, page->Controls[1].Y}), (std::array{-1, -2}));

    EXPECT_EQ(resources.Dialogs.size(), 2u) << "other resource types are passed over";
    const rc::BitmapResource* bitmap = resources.FindBitmap(105);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ((std::array{bitmap->Pixels.Width, bitmap->Pixels.Height}), (std::array{3, 2}));
    // The top row first (red, green, blue), though stored last, then white, black, grey.
    EXPECT_EQ(bitmap->Pixels.Rgb, (std::vector<std::uint8_t>{255, 0, 0, 0, 255, 0, 0, 0, 255, 255,
                                                             255, 255, 0, 0, 0, 128, 128, 128}));
}

TEST(ResourceFile, ReadsClassicTemplatesTextsAndColourTables) {
    Bytes dialog = ClassicDialog(1);
    dialog.Data.resize(dialog.Data.size() - 2); // the caption, with a pair and a lone half
    dialog.Units({'A', 0xD83D, 0xDE00, 0xDC00, 'B'});
    AddControl(dialog, style::WS_CHILD | style::BS_AUTORADIOBUTTON, 0xFFFF, 0x80);
    // The empty entry that starts a compiled file, and a type of its own, are passed over.
    const rc::Resources resources =
        Read(Entry(Ord(0), Ord(0), "") + DialogEntry(7, dialog.Data) +
             Entry(Ord(2), Ord(9), Dib(24, 2)) + Entry(Bytes().Text("PNG"), Ord(9), "abc"));
    const rc::DialogTemplate* read = resources.FindDialog(7);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Caption, "A\xF0\x9F\x98\x80\xEF\xBF\xBD"
                             "B");
    EXPECT_EQ((std::array{read->X, read->Y, read->Width, read->Height}),
              (std::array{1, 2, 30, 40}));
    ASSERT_EQ(read->Controls.size(), 1u);
    EXPECT_EQ(read->Controls[0].Kind, Kind::RadioButton);
    EXPECT_EQ(read->Controls[0].Id, -1);
    EXPECT_EQ(read->Controls[0].Text, "x");
    const rc::BitmapResource* bitmap = resources.FindBitmap(9);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Pixels.Rgb, (std::vector<std::uint8_t>{3, 2, 1})) << "after the colours";
}

TEST(ResourceFile, RefusesWhatTheLayerCannotShowNamingTheResource) {
    const std::string oneControl = ClassicDialog(1).Data;
    auto withControl = [&](std::uint32_t controlStyle, std::uint16_t atom) {
        Bytes dialog = ClassicDialog(1);
        AddControl(dialog, controlStyle, 3, atom);
        return DialogEntry(7, dialog.Data);
    };
    Bytes menu;
    menu.U32(0).U32(0).U16(0).U16(0).U16(0).U16(0).U16(0).Ordinal(1).U16(0).U16(0);
    Bytes ownClass;
    ownClass.U32(0).U32(0).U16(0).U16(0).U16(0).U16(0).U16(0).U16(0).Text("Mine").U16(0);
    const std::string dialog7 = DialogEntry(7, ClassicDialog(0).Data);
    std::string missingColours = Dib(); // a colour count without its table
    missingColours[32] = '\x10';
    struct Case {
        std::string Bytes;
        std::string Error;
    };
    const Case cases[] = {
        {std::string("\x10\0\0\0", 4), "resource entry at offset 0: truncated"},
        {dialog7.substr(0, dialog7.size() - 4), "resource entry at offset 0: truncated"},
        {dialog7 + std::string("\0\0\0\0\x40\0\0\0", 8),
         "resource entry at offset " + std::to_string(dialog7.size()) + ": truncated"},
        {Entry(Ord(5), Bytes().Text("IDD_X"), ClassicDialog(0).Data),
         "dialog \"IDD_X\": the resource is named, not numbered"},
        {dialog7 + dialog7, "dialog 7 is defined twice"},
        {DialogEntry(7, oneControl), "dialog 7: truncated"},
        {DialogEntry(7, oneControl.substr(0, 6)), "dialog 7: truncated"},
        {DialogEntry(7, menu.Data), "dialog 7: dialogs with a menu are not supported"},
        {DialogEntry(7, ownClass.Data),
         "dialog 7: dialogs of their own window class are not supported"},
        {withControl(0, 0x81), "dialog 7, control 1 (id 3): unsupported control class \"Edit\""},
        {withControl(0, 0x99), "dialog 7, control 1 (id 3): unsupported control class \"#153\""},
        {withControl(0x2, 0x80), "dialog 7, control 1 (id 3): unsupported button style"},
        {withControl(0xF, 0x82), "dialog 7, control 1 (id 3): unsupported static style"},
        {Entry(Ord(2), Ord(9), Dib(8)), "bitmap 9: only 24 and 32 bits per pixel are supported"},
        {Entry(Ord(2), Ord(9), Dib().substr(0, 42)), "bitmap 9: bitmap data truncated"},
        {Entry(Ord(2), Ord(9), missingColours), "bitmap 9: bitmap data truncated"},
        {Entry(Ord(2), Ord(9), Dib().substr(0, 30)), "bitmap 9: not a bitmap"},
    };
    for (const Case& test : cases) {
        const auto read = rc::ReadResourceFile(test.Bytes);
        ASSERT_TRUE(std::holds_alternative<std::string>(read)) << test.Error;
        EXPECT_EQ(std::get<std::string>(read), test.Error);
    }
}

// Every cut of the compiled test resources and single-byte changes all through them either
// read or fail with a one-line reason; nothing else may happen (run it under the sanitizers).
TEST(ResourceFile, DamagedResourcesFailCleanly) {
    const std::string good = CompiledTestResources();
    ASSERT_GT(good.size(), 500u);
    auto check = [](const std::string& bytes) {
        const auto read = rc::ReadResourceFile(bytes);
        if (const auto* error = std::get_if<std::string>(&read)) {
            EXPECT_FALSE(error->empty());
            EXPECT_EQ(error->find('\n'), std::string::npos) << *error;
        }
    };
    for (std::size_t length = 0; length <= good.size(); ++length)
        check(good.substr(0, length));
    const char replacements[] = {'\0', '\x01', '\x7F', '\x80', '\xFF'};
    for (std::size_t at = 0; at < good.size(); ++at)
        for (const char replacement : replacements) {
            std::string damaged = good;
            damaged[at] = replacement;
            check(damaged);
        }
}

} // namespace
} // namespace uitest
