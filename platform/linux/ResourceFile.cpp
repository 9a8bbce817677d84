#include "platform/linux/ResourceFile.h"

#include "platform/linux/Dib.h"
#include "platform/linux/Styles.h"

namespace ui::rc {
namespace {

using desktop::Kind;

constexpr std::uint16_t kBitmapType = 2; // RT_BITMAP
constexpr std::uint16_t kDialogType = 5; // RT_DIALOG
constexpr std::uint16_t kOrdinalMark = 0xFFFF;
constexpr std::uint32_t kFixedHeaderSize = 16; // data version .. characteristics
// DS_SHELLFONT is DS_SETFONT with DS_FIXEDSYS; either way the template carries a font.
constexpr std::uint32_t kSetFont = 0x0040;

// Raised inside the reader only; ReadResourceFile turns it into its error result.
struct Failure {
    std::string Message;
};

// A name or class in a template or a resource header: a number, or a text.
struct NameOrOrdinal {
    std::optional<std::uint16_t> Ordinal;
    std::string Text;
};

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Little-endian reads over a bounded span; running past its end is a failure that names
// what was being read.
class Reader {
public:
    Reader(std::string_view bytes, std::string context)
        : bytes_(bytes), context_(std::move(context)) {}

    [[noreturn]] void Fail(std::string_view reason) const {
        throw Failure{context_.empty() ? std::string(reason)
                                       : context_ + ": " + std::string(reason)};
    }

    std::size_t Position() const { return position_; }
    std::size_t Remaining() const { return bytes_.size() - position_; }

    std::uint16_t U16() {
        Need(2);
        const auto value = static_cast<std::uint16_t>(Byte(0) | Byte(1) << 8);
        position_ += 2;
        return value;
    }
    std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
    std::uint32_t U32() {
        Need(4);
        const std::uint32_t value = std::uint32_t(Byte(0)) | std::uint32_t(Byte(1)) << 8 |
                                    std::uint32_t(Byte(2)) << 16 | std::uint32_t(Byte(3)) << 24;
        position_ += 4;
        return value;
    }
    void Skip(std::size_t count) {
        Need(count);
        position_ += count;
    }
    // Templates and resource headers align their parts to 2 or 4 bytes from their start.
    void Align(std::size_t boundary) {
        const std::size_t padding = (boundary - position_ % boundary) % boundary;
        Skip(std::min(padding, Remaining()));
    }
    std::string_view Take(std::size_t count) {
        Need(count);
        const std::string_view part = bytes_.substr(position_, count);
        position_ += count;
        return part;
    }

    // A NUL-terminated UTF-16 text, as UTF-8; unpaired surrogates read as U+FFFD.
    std::string Text() {
        std::string text;
        while (true) {
            const std::uint16_t unit = U16();
            if (unit == 0)
                return text;
            std::uint32_t code = unit;
            if (unit >= 0xD800 && unit < 0xDC00 && Remaining() >= 2) {
                const auto low = static_cast<std::uint16_t>(Byte(0) | Byte(1) << 8);
                if (low >= 0xDC00 && low < 0xE000) {
                    position_ += 2;
                    code = 0x10000 + ((std::uint32_t(unit) - 0xD800) << 10) + (low - 0xDC00);
                }
            }
            if (code >= 0xD800 && code < 0xE000)
                code = 0xFFFD;
            AppendUtf8(text, code);
        }
    }

    NameOrOrdinal Name() {
        NameOrOrdinal name;
        Need(2);
        if ((Byte(0) | Byte(1) << 8) == kOrdinalMark) {
            position_ += 2;
            name.Ordinal = U16();
        } else {
            name.Text = Text();
        }
        return name;
    }

private:
    void Need(std::size_t count) const {
        if (Remaining() < count)
            Fail("truncated");
    }
    unsigned Byte(std::size_t offset) const {
        return static_cast<unsigned char>(bytes_[position_ + offset]);
    }

    std::string_view bytes_;
    std::string context_;
    std::size_t position_ = 0;
};

std::string ClassName(const NameOrOrdinal& name) {
    if (!name.Ordinal)
        return name.Text;
    switch (*name.Ordinal) {
    case 0x0080:
        return "Button";
    case 0x0081:
        return "Edit";
    case 0x0082:
        return "Static";
    case 0x0083:
        return "ListBox";
    case 0x0084:
        return "ScrollBar";
    case 0x0085:
        return "ComboBox";
    default: {
        // Appended rather than concatenated to a literal: GCC 12 warns falsely about the
        // literal's insertion (-Wrestrict) in optimised builds.
        std::string text = "#";
        text += std::to_string(*name.Ordinal);
        return text;
    }
    }
}

// Control characters shown as \xHH, so that a report stays one line.
std::string Printable(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string printable;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            printable += c;
            continue;
        }
        printable += "\\x";
        printable += kHex[byte >> 4];
        printable += kHex[byte & 0xF];
    }
    return printable;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// The kind of window a control's class and style make, as far as the layer has them.
Kind Classify(const std::string& className, std::uint32_t controlStyle, const Reader& reader) {
    if (EqualsIgnoringCase(className, "Button")) {
        switch (controlStyle & style::BS_TYPEMASK) {
        case style::BS_PUSHBUTTON:
            return Kind::PushButton;
        case style::BS_DEFPUSHBUTTON:
            return Kind::DefPushButton;
        case style::BS_RADIOBUTTON:
        case style::BS_AUTORADIOBUTTON:
            return Kind::RadioButton;
        case style::BS_GROUPBOX:
            return Kind::GroupBox;
        default:
            reader.Fail("unsupported button style");
        }
    }
    if (EqualsIgnoringCase(className, "Static")) {
        const std::uint32_t type = controlStyle & style::SS_TYPEMASK;
        if (type == style::SS_BITMAP)
            return Kind::Picture;
        if (type <= 0x0C || (type >= 0x10 && type <= 0x12))
            return Kind::Text;
        reader.Fail("unsupported static style");
    }
    if (EqualsIgnoringCase(className, "ComboBox"))
        return Kind::ComboBox;
    if (EqualsIgnoringCase(className, "SysTreeView32"))
        return Kind::TreeView;
    if (EqualsIgnoringCase(className, "SysTabControl32"))
        return Kind::TabControl;
    reader.Fail("unsupported control class \"" + Printable(className) + "\"");
}

// One control of a template; `dialog` reads from the template's start, so that the
// alignment of each item is that of its offset in the template.
ControlTemplate ReadControl(Reader& dialog, bool extended, int dialogId, int index) {
    dialog.Align(4);
    ControlTemplate control;
    if (extended) {
        dialog.U32(); // help id
        control.ExStyle = dialog.U32();
        control.Style = dialog.U32();
    } else {
        control.Style = dialog.U32();
        control.ExStyle = dialog.U32();
    }
    control.X = dialog.I16();
    control.Y = dialog.I16();
    control.Width = dialog.I16();
    control.Height = dialog.I16();
    // The extended form holds the id as written; the classic one in 16 bits, read signed
    // so that IDC_STATIC stays -1.
    control.Id = extended ? static_cast<std::int32_t>(dialog.U32()) : dialog.I16();
    const std::string className = ClassName(dialog.Name());
    const NameOrOrdinal text = dialog.Name();
    if (text.Ordinal)
        control.ImageId = *text.Ordinal;
    else
        control.Text = text.Text;
    const std::uint16_t extraBytes = dialog.U16();
    dialog.Skip(extraBytes);

    const Reader named({}, "dialog " + std::to_string(dialogId) + ", control " +
                               std::to_string(index + 1) + " (id " + std::to_string(control.Id) +
                               ")");
    control.Kind = Classify(className, control.Style, named);
    return control;
}

DialogTemplate ReadDialog(std::string_view data, int id) {
    Reader reader(data, "dialog " + std::to_string(id));
    DialogTemplate dialog;
    dialog.Id = id;
    const bool extended =
        data.size() >= 4 && data.substr(0, 4) == std::string_view("\1\0\xFF\xFF", 4);
    if (extended) {
        reader.Skip(4); // version 1, signature 0xFFFF
        reader.U32();   // help id
        dialog.ExStyle = reader.U32();
        dialog.Style = reader.U32();
    } else {
        dialog.Style = reader.U32();
        dialog.ExStyle = reader.U32();
    }
    const std::uint16_t controlCount = reader.U16();
    dialog.X = reader.I16();
    dialog.Y = reader.I16();
    dialog.Width = reader.I16();
    dialog.Height = reader.I16();
    if (const NameOrOrdinal menu = reader.Name(); menu.Ordinal || !menu.Text.empty())
        reader.Fail("dialogs with a menu are not supported");
    if (const NameOrOrdinal windowClass = reader.Name();
        windowClass.Ordinal || !windowClass.Text.empty())
        reader.Fail("dialogs of their own window class are not supported");
    dialog.Caption = reader.Text();
    if (dialog.Style & kSetFont) {
        dialog.HasFont = true;
        dialog.FontSize = reader.U16();
        if (extended)
            reader.Skip(4); // weight, italic, character set
        dialog.FontName = reader.Text();
    }
    for (int index = 0; index < controlCount; ++index)
        dialog.Controls.push_back(ReadControl(reader, extended, id, index));
    return dialog;
}

BitmapResource ReadBitmap(std::string_view data, int id) {
    BitmapResource bitmap;
    bitmap.Id = id;
    auto decoded = DecodeDib(data);
    if (auto* reason = std::get_if<std::string>(&decoded))
        throw Failure{"bitmap " + std::to_string(id) + ": " + *reason};
    bitmap.Pixels = std::move(std::get<desktop::Pixels>(decoded));
    return bitmap;
}

std::string Describe(const NameOrOrdinal& name) {
    return name.Ordinal ? std::to_string(*name.Ordinal) : "\"" + Printable(name.Text) + "\"";
}

Resources ReadEntries(std::string_view bytes) {
    Resources resources;
    Reader file(bytes, "");
    while (file.Remaining() > 0) {
        const std::size_t start = file.Position();
        const std::string where = "resource entry at offset " + std::to_string(start);
        Reader sizes(bytes.substr(start, std::min<std::size_t>(8, file.Remaining())), where);
        const std::uint32_t dataSize = sizes.U32();
        const std::uint32_t headerSize = sizes.U32();
        if (headerSize < 8 + 4 + kFixedHeaderSize || headerSize > file.Remaining() ||
            dataSize > file.Remaining() - headerSize)
            sizes.Fail("truncated");
        // Positions in the header count from the entry's start, which is aligned.
        Reader header(bytes.substr(start, headerSize), where);
        header.Skip(8);
        const NameOrOrdinal type = header.Name();
        const NameOrOrdinal name = header.Name();
        header.Align(4);
        header.Skip(kFixedHeaderSize);
        file.Skip(headerSize);
        const std::string_view data = file.Take(dataSize);
        file.Align(4);

        const bool dialog = type.Ordinal == kDialogType;
        const bool bitmap = type.Ordinal == kBitmapType;
        if (!dialog && !bitmap)
            continue;
        const std::string what = dialog ? "dialog " : "bitmap ";
        // A name that is text is an id the script never defined.
        if (!name.Ordinal)
            throw Failure{what + Describe(name) + ": the resource is named, not numbered"};
        const int id = *name.Ordinal;
        if (dialog ? resources.FindDialog(id) != nullptr : resources.FindBitmap(id) != nullptr)
            throw Failure{what + std::to_string(id) + " is defined twice"};
        if (dialog)
            resources.Dialogs.push_back(ReadDialog(data, id));
        else
            resources.Bitmaps.push_back(ReadBitmap(data, id));
    }
    return resources;
}

} // namespace

const DialogTemplate* Resources::FindDialog(int id) const {
    for (const DialogTemplate& dialog : Dialogs)
        if (dialog.Id == id)
            return &dialog;
    return nullptr;
}

const BitmapResource* Resources::FindBitmap(int id) const {
    for (const BitmapResource& bitmap : Bitmaps)
        if (bitmap.Id == id)
            return &bitmap;
    return nullptr;
}

std::variant<Resources, std::string> ReadResourceFile(std::string_view bytes) {
    try {
        return ReadEntries(bytes);
    } catch (const Failure& failure) {
        return failure.Message;
    }
}

} // namespace ui::rc
