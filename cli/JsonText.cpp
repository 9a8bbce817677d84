#include "cli/JsonText.h"

namespace cli {
namespace {

// A scalar as nlohmann-json writes it. A text that is not UTF-8 (a file name can be any
// bytes) gets U+FFFD for the bytes that are not: the output stays JSON.
std::string ScalarJson(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string MemberName(const std::string& key) {
    return ScalarJson(Json(key)) + ": ";
}

} // namespace

std::string InlineJson(const Json& value) {
    if (value.is_object()) {
        std::string text = "{";
        bool first = true;
        for (const auto& [key, member] : value.items()) {
            text += first ? "" : ", ";
            text += MemberName(key) + InlineJson(member);
            first = false;
        }
        return text + "}";
    }
    if (value.is_array()) {
        std::string text = "[";
        for (std::size_t i = 0; i < value.size(); ++i)
            text += (i == 0 ? "" : ", ") + InlineJson(value[i]);
        return text + "]";
    }
    return ScalarJson(value);
}

std::string DocumentJson(const Json& document) {
    std::string text = "{";
    bool first = true;
    for (const auto& [key, member] : document.items()) {
        text += first ? "\n  " : ",\n  ";
        text += MemberName(key);
        first = false;
        if (!member.is_array() || member.empty()) {
            text += InlineJson(member);
            continue;
        }
        text += "[";
        for (std::size_t i = 0; i < member.size(); ++i)
            text += (i == 0 ? "\n    " : ",\n    ") + InlineJson(member[i]);
        text += "\n  ]";
    }
    return text + "\n}\n";
}

} // namespace cli
