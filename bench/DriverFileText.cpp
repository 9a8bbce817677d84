#include "bench/DriverFileText.h"

#include <array>
#include <cstdio>
#include <initializer_list>
#include <stdexcept>

namespace bench {
namespace {

constexpr int kTemplates = 16;
constexpr char kFileHeader[] = "REGEDIT4\r\n\r\n";
// Comment lines are at most this long, CR LF included.
constexpr std::size_t kCommentWidth = 80;
// Room kept free at the end of a body for the padding comment ("; " + CR LF at least).
constexpr std::size_t kMinimumPad = 4;

// A small generator written out in full here, so that the files are the same on every
// machine and with every standard library.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15u);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
        return z ^ (z >> 31);
    }
    // 0 to bound - 1.
    std::size_t Below(std::size_t bound) { return static_cast<std::size_t>(Next() % bound); }
    template <class T, std::size_t N> const T& Pick(const std::array<T, N>& items) {
        return items[Below(N)];
    }

private:
    std::uint64_t state_;
};

constexpr std::array<std::string_view, 6> kKeyRoots = {
    "HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\",
    "HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Instance\\",
    "HKEY_LOCAL_MACHINE\\Drivers\\PCCARD\\",
    "HKEY_LOCAL_MACHINE\\Drivers\\USB\\ClientDrivers\\",
    "HKEY_LOCAL_MACHINE\\Comm\\",
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\",
};

constexpr std::array<std::string_view, 16> kDeviceNames = {
    "Serial", "NDIS",    "Audio", "Display", "Keyboard",  "Touch",  "GPIO",    "SDHC",
    "PCMCIA", "USBHost", "Timer", "Battery", "Backlight", "Ethman", "Storage", "Counter",
};

constexpr std::array<std::string_view, 12> kCommentLines = {
    "Settings installed by the driver package; edit with care.",
    "Interrupt routing for the on-board controller.",
    "Values below are read once when the device is loaded.",
    "Default configuration, revision 3.",
    "Do not change the load order without checking the dependencies.",
    "I/O window and length in bytes.",
    "The friendly name is shown by the device manager.",
    "Power management: 0 = always on, 1 = on demand.",
    "Entries of the previous release, kept for compatibility.",
    "Set by the installer.",
    "Device class identifiers follow.",
    "Timing in milliseconds.",
};

constexpr std::array<std::string_view, 6> kPrefixes = {"COM", "NIC", "WAV", "DSK", "GPI", "TMR"};

// Concatenation by appending: g++ 12 warns falsely on "literal" + std::string at -O3.
std::string Cat(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (std::string_view part : parts)
        text += part;
    return text;
}

std::string Hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(value));
    return text;
}

std::string HexBytes(SplitMix64& random, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02X", static_cast<unsigned>(random.Below(256)));
        if (i != 0)
            text += ',';
        text += byte;
    }
    return text;
}

// A multi-string's bytes as hex(7): each character, a zero after each string, one more.
std::string MultiStringBytes(std::string_view first, std::string_view second) {
    std::string text;
    auto add = [&text](unsigned byte) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", byte);
        if (!text.empty())
            text += ',';
        text += hex;
    };
    for (std::string_view item : {first, second}) {
        for (char c : item)
            add(static_cast<unsigned char>(c));
        add(0);
    }
    add(0);
    return text;
}

std::string ValueLine(std::string_view name, std::string_view text) {
    std::string line = "\"";
    line += name;
    line += "\"=";
    line += text;
    line += "\r\n";
    return line;
}

std::string Quoted(std::string_view text) {
    return Cat({"\"", text, "\""});
}

// One unrelated driver key with a handful of values of every kind.
std::string DriverKeyBlock(SplitMix64& random, std::size_t serial) {
    const std::string_view device = random.Pick(kDeviceNames);
    std::string block = "[";
    block += random.Pick(kKeyRoots);
    block += device;
    block += std::to_string(serial);
    block += "]\r\n";
    block += ValueLine("Dll", Quoted(Cat({device, ".dll"})));
    block += ValueLine("Prefix", Quoted(random.Pick(kPrefixes)));
    block += ValueLine("Index", Cat({"dword:", Hex(random.Below(10))}));
    block += ValueLine("Order", Cat({"dword:", Hex(random.Below(64))}));
    if (random.Below(2) == 0) {
        block += ValueLine("Irq", Cat({"dword:", Hex(random.Below(32))}));
        block += ValueLine("IoBase", Cat({"dword:", Hex(0x1000 + 0x20 * random.Below(512))}));
        block += ValueLine("IoLen", Cat({"dword:", Hex(8u << random.Below(5))}));
    }
    if (random.Below(3) == 0)
        block +=
            ValueLine("FriendlyName", Quoted(Cat({device, " device ", std::to_string(serial)})));
    block += ValueLine("Flags", Cat({"hex:", HexBytes(random, 4)}));
    if (random.Below(4) == 0) {
        // A long binary value continued over lines, as registry exports wrap them.
        block += Cat({"\"Calibration\"=hex:", HexBytes(random, 16), ",\\\r\n"});
        block += Cat({"  ", HexBytes(random, 16), ",\\\r\n"});
        block += Cat({"  ", HexBytes(random, 8), "\r\n"});
    }
    if (random.Below(3) == 0)
        block +=
            ValueLine("IClass", Cat({"hex(7):", MultiStringBytes("{A32942B7-920C-486b}", device)}));
    return block;
}

std::string CommentBlock(SplitMix64& random) {
    std::string block;
    const std::size_t lines = 1 + random.Below(3);
    for (std::size_t i = 0; i < lines; ++i) {
        block += "; ";
        block += random.Pick(kCommentLines);
        block += "\r\n";
    }
    return block;
}

// Comment lines of exactly `gap` bytes in all (0, or kMinimumPad and more).
void AppendPadding(std::string& out, std::size_t gap) {
    while (gap >= kCommentWidth + kMinimumPad) {
        out += Cat({"; ", std::string(kCommentWidth - 4, '-'), "\r\n"});
        gap -= kCommentWidth;
    }
    if (gap == 0)
        return;
    out += Cat({"; ", std::string(gap - kMinimumPad, '-'), "\r\n"});
}

// Unrelated registration text of exactly `budget` bytes (0, or kMinimumPad and more).
std::string Body(SplitMix64& random, std::size_t budget, std::size_t& serial) {
    std::string body;
    body.reserve(budget);
    for (;;) {
        std::string block = random.Below(5) == 0 ? CommentBlock(random) : "";
        block += DriverKeyBlock(random, serial++);
        if (random.Below(2) == 0)
            block += "\r\n";
        if (body.size() + block.size() + kMinimumPad > budget)
            break;
        body += block;
    }
    AppendPadding(body, budget - body.size());
    return body;
}

// The board's own driver key, which the template keys hang under.
std::string BoardDriverKey() {
    return "; PCI-3916 digital input board\r\n"
           "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S]\r\n"
           "\"Dll\"=\"VKR3916S.dll\"\r\n"
           "\"Prefix\"=\"DIO\"\r\n"
           "\"Class\"=dword:ff\r\n"
           "\"SubClass\"=dword:0\r\n"
           "\"ProgIF\"=dword:0\r\n"
           "\"VendorID\"=multi_sz:\"1A7F\"\r\n"
           "\"DeviceID\"=multi_sz:\"3916\"\r\n";
}

std::string AllTemplateSections() {
    std::string text;
    for (int i = 0; i < kTemplates; ++i)
        text += TemplateSectionText(i, GeneratedTemplateValues(i));
    return text;
}

} // namespace

std::string_view PlacementName(TemplatePlacement placement) {
    return placement == TemplatePlacement::End ? "end" : "middle";
}

TemplateValues GeneratedTemplateValues(int index) {
    TemplateValues values;
    // 7 is prime to 16, so the switch IDs of the 16 templates are all different.
    values.SwitchId = (index * 7 + 3) % kTemplates;
    for (int g = 0; g < 4; ++g) {
        values.TriggerMode[2 * g] = ((index >> g) & 1) ? 0x04 : 0x00;
        values.LatchData[2 * g] = (index + g) % 3 == 0 ? 0x01 : 0x00;
    }
    return values;
}

std::string TemplateSectionText(int index, const TemplateValues& values) {
    auto hex = [](const std::uint8_t(&bytes)[8]) {
        std::string text;
        for (std::uint8_t byte : bytes) {
            char two[4];
            std::snprintf(two, sizeof two, "%02X", byte);
            if (!text.empty())
                text += ',';
            text += two;
        }
        return text;
    };
    std::string text =
        " \r\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template";
    text += std::to_string(index);
    text += "] \r\n";
    text += Cat({"\n", ValueLine("SwitchID",
                                 Cat({"dword:", Hex(static_cast<unsigned>(values.SwitchId))}))});
    text += Cat({"\n", ValueLine("TriggerMode", Cat({"hex:", hex(values.TriggerMode)}))});
    text += Cat({"\n", ValueLine("LatchData", Cat({"hex:", hex(values.LatchData)}))});
    return text;
}

std::size_t MinimumDriverFileSize() {
    return sizeof kFileHeader - 1 + BoardDriverKey().size() + AllTemplateSections().size();
}

DriverFile GenerateDriverFile(std::size_t size, TemplatePlacement placement, std::uint64_t seed) {
    const std::string head = std::string(kFileHeader) + BoardDriverKey();
    const std::string templates = AllTemplateSections();
    const std::size_t fixed = head.size() + templates.size();
    if (size < fixed || (size > fixed && size - fixed < 2 * kMinimumPad))
        throw std::invalid_argument("a driver file of " + std::to_string(size) +
                                    " bytes cannot hold the templates");
    const std::size_t free = size - fixed;
    std::size_t before = placement == TemplatePlacement::End ? free : free / 2;
    if (before != free && before < kMinimumPad)
        before = kMinimumPad;
    if (free - before != 0 && free - before < kMinimumPad)
        before = free;

    SplitMix64 random(seed);
    std::size_t serial = 0;
    DriverFile file;
    file.Text.reserve(size);
    file.Text = head;
    file.Text += Body(random, before, serial);
    file.Layout.TemplatesBegin = file.Text.size();
    file.Text += templates;
    file.Layout.TemplatesEnd = file.Text.size();
    file.Text += Body(random, free - before, serial);
    return file;
}

} // namespace bench
