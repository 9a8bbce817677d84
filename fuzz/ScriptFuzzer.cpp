// Fuzz target: the host's script reader and the transcript's text escaping.
//
// The input is a script; every line goes through the reader as the host reads it. Checks:
//   - a parsed action carries what its kind needs (a text without surrounding blanks,
//     a line number equal to the line's);
//   - the escaped form of any text is printable, and unescaping it gives the text back;
//   - a transcript line keeps its fixed frame whatever the caption and text hold.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "host/Script.h"

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "script fuzzer: %s\n", what);
        std::abort();
    }
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The inverse of host::EscapeText, strict: any other escape is an error.
bool Unescape(std::string_view escaped, std::string& text) {
    text.clear();
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        const char c = escaped[i];
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i >= escaped.size())
            return false;
        switch (escaped[i]) {
        case '"':
            text += '"';
            break;
        case '\\':
            text += '\\';
            break;
        case 'n':
            text += '\n';
            break;
        case 'r':
            text += '\r';
            break;
        case 't':
            text += '\t';
            break;
        case 'x': {
            if (i + 2 >= escaped.size())
                return false;
            const int high = HexDigit(escaped[i + 1]);
            const int low = HexDigit(escaped[i + 2]);
            if (high < 0 || low < 0)
                return false;
            text += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

void CheckEscape(std::string_view text) {
    const std::string escaped = host::EscapeText(text);
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        const auto c = static_cast<unsigned char>(escaped[i]);
        Require(c >= 0x20 && c != 0x7f, "the escaped text holds a control character");
        if (c == '"')
            Require(i > 0 && escaped[i - 1] == '\\', "the escaped text holds a bare quote");
    }
    std::string back;
    Require(Unescape(escaped, back), "the escaped text holds an unknown escape");
    Require(back == text, "unescaping does not give the text back");
}

void CheckAction(const host::Action& action, int lineNumber) {
    Require(action.Line == lineNumber, "the action carries another line number");
    switch (action.Kind) {
    case host::ActionKind::Expand:
    case host::ActionKind::Collapse:
    case host::ActionKind::Select:
        Require(!action.Text.empty(), "a tree action without a text");
        [[fallthrough]];
    case host::ActionKind::Type:
        if (!action.Text.empty()) {
            Require(!IsBlank(action.Text.front()) && !IsBlank(action.Text.back()),
                    "an action's text keeps surrounding blanks");
        }
        Require(action.Text.find('\n') == std::string::npos, "an action's text spans lines");
        break;
    default:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view script(reinterpret_cast<const char*>(data), size);
    int lineNumber = 0;
    std::size_t pos = 0;
    while (pos <= script.size()) {
        const std::size_t lf = script.find('\n', pos);
        const std::size_t end = lf == std::string_view::npos ? script.size() : lf;
        const std::string_view line = script.substr(pos, end - pos);
        ++lineNumber;
        const auto parsed = host::ParseLine(line, lineNumber);
        if (const auto* action = std::get_if<host::Action>(&parsed)) {
            CheckAction(*action, lineNumber);
        } else if (const auto* error = std::get_if<host::ScriptError>(&parsed)) {
            Require(error->Line == lineNumber && !error->Reason.empty(),
                    "a script error without its line or reason");
        }
        if (lf == std::string_view::npos)
            break;
        pos = lf + 1;
    }

    CheckEscape(script);
    const std::size_t half = script.size() / 2;
    const std::string_view caption = script.substr(0, half);
    const std::string_view text = script.substr(half);
    for (unsigned flags : {0u, 1u, 0x10u, 0x11u}) {
        const std::string line = host::MessageBoxLine(caption, text, flags, flags & 1);
        const std::string head = "messagebox caption=\"" + host::EscapeText(caption) +
                                 "\" text=\"" + host::EscapeText(text) + "\" buttons=";
        Require(line.compare(0, head.size(), head) == 0, "a transcript line lost its frame");
        Require(line.find('\n') == std::string::npos, "a transcript line spans lines");
    }
    return 0;
}
