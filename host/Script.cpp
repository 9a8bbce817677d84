#include "host/Script.h"

#include <charconv>
#include <cstdio>
#include <istream>

namespace host {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Splits off the first word; `rest` keeps what follows it, leading blanks removed.
std::string_view NextWord(std::string_view& rest) {
    rest = TrimLeft(rest);
    std::size_t end = 0;
    while (end < rest.size() && !IsBlank(rest[end]))
        ++end;
    std::string_view word = rest.substr(0, end);
    rest = TrimLeft(rest.substr(end));
    return word;
}

// A control id, a tab or an item: decimal digits only, no sign.
std::optional<int> ParseNumber(std::string_view word) {
    int value = 0;
    const char* end = word.data() + word.size();
    if (word.empty() || word.front() < '0' || word.front() > '9')
        return std::nullopt;
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

ScriptError Error(int line, std::string reason) {
    return ScriptError{line, std::move(reason)};
}

} // namespace

std::variant<std::monostate, Action, ScriptError> ParseLine(std::string_view line, int lineNumber) {
    std::string_view rest = TrimRight(line);
    if (TrimLeft(rest).empty() || TrimLeft(rest).front() == '#')
        return std::monostate{};

    const std::string_view word = NextWord(rest);
    Action action;
    action.Line = lineNumber;

    auto needText = [&](ActionKind kind) -> std::variant<std::monostate, Action, ScriptError> {
        if (rest.empty())
            return Error(lineNumber, std::string(word) + " needs a text");
        action.Kind = kind;
        action.Text = std::string(rest);
        return action;
    };
    auto needNumber = [&] { return ParseNumber(NextWord(rest)); };

    if (word == "expand")
        return needText(ActionKind::Expand);
    if (word == "collapse")
        return needText(ActionKind::Collapse);
    if (word == "select")
        return needText(ActionKind::Select);
    if (word == "click" || word == "tab") {
        const auto number = needNumber();
        if (!number || !rest.empty())
            return Error(lineNumber, std::string(word) + " needs one number");
        action.Kind = word == "click" ? ActionKind::Click : ActionKind::Tab;
        (word == "click" ? action.Id : action.Number) = *number;
        return action;
    }
    if (word == "choose") {
        const auto id = needNumber();
        const auto item = needNumber();
        if (!id || !item || !rest.empty())
            return Error(lineNumber, "choose needs a control id and an item number");
        action.Kind = ActionKind::Choose;
        action.Id = *id;
        action.Number = *item;
        return action;
    }
    if (word == "type") {
        const auto id = needNumber();
        if (!id)
            return Error(lineNumber, "type needs a control id and a text");
        action.Kind = ActionKind::Type;
        action.Id = *id;
        action.Text = std::string(rest);
        return action;
    }
    if (word == "answer") {
        const std::string_view answer = NextWord(rest);
        if ((answer != "ok" && answer != "cancel") || !rest.empty())
            return Error(lineNumber, "answer needs ok or cancel");
        action.Kind = ActionKind::Answer;
        action.Ok = answer == "ok";
        return action;
    }
    if (word == "open") {
        if (!rest.empty())
            return Error(lineNumber, "open takes no argument");
        action.Kind = ActionKind::Open;
        return action;
    }
    return Error(lineNumber, "unknown action \"" + std::string(word) + "\"");
}

std::optional<std::string>
RunScriptLines(std::istream& script, const std::function<bool()>& keepGoing,
               const std::function<std::optional<std::string>(const Action&)>& perform) {
    std::string line;
    int lineNumber = 0;
    while (keepGoing() && std::getline(script, line)) {
        ++lineNumber;
        const auto parsed = ParseLine(line, lineNumber);
        if (const auto* error = std::get_if<ScriptError>(&parsed))
            return "script line " + std::to_string(error->Line) + ": " + error->Reason;
        const auto* action = std::get_if<Action>(&parsed);
        if (!action)
            continue;
        if (const auto reason = perform(*action))
            return "script line " + std::to_string(lineNumber) + ": " + *reason;
    }
    return std::nullopt;
}

std::string EscapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
                out += hex;
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::string MessageBoxLine(std::string_view caption, std::string_view text, unsigned flags,
                           bool answeredOk) {
    constexpr unsigned kButtonsMask = 0x0F;
    constexpr unsigned kOkCancel = 0x01;
    constexpr unsigned kIconMask = 0xF0;
    constexpr unsigned kIconStop = 0x10;
    std::string line = "messagebox caption=\"" + EscapeText(caption) + "\" text=\"" +
                       EscapeText(text) + "\" buttons=";
    line += (flags & kButtonsMask) == kOkCancel ? "OKCANCEL" : "OK";
    line += " icon=";
    line += (flags & kIconMask) == kIconStop ? "stop" : "none";
    line += answeredOk ? " answer=ok" : " answer=cancel";
    return line;
}

} // namespace host
