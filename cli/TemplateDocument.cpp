#include "cli/TemplateDocument.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <set>

#include "cli/JsonText.h"
#include "templates/TemplateRules.h"

namespace cli {
namespace {

using templates::TemplateRecord;

constexpr std::array<const char*, 2> kDocumentFields = {"version", "templates"};
constexpr std::array<const char*, 6> kTemplateFields = {"index",   "switchId",    "edges",
                                                        "latches", "triggerMode", "latchData"};

std::string Member(const std::string& place, const std::string& key) {
    return place.empty() ? key : place + "." + key;
}

// Where each value is while nlohmann-json parses, to name the place of a field given
// twice in one object (the parsed value keeps only the last).
class DuplicateFinder {
public:
    explicit DuplicateFinder(std::vector<std::string>& errors) : errors_(errors) {}

    bool operator()(int, Json::parse_event_t event, Json& parsed) {
        using Event = Json::parse_event_t;
        switch (event) {
        case Event::object_start:
        case Event::array_start:
            frames_.push_back({event == Event::array_start, NextPlace(), {}, {}, 0});
            break;
        case Event::object_end:
        case Event::array_end:
            frames_.pop_back();
            if (!frames_.empty() && frames_.back().IsArray)
                ++frames_.back().NextIndex;
            break;
        case Event::key: {
            Frame& frame = frames_.back();
            frame.Key = parsed.get<std::string>();
            if (!frame.Keys.insert(frame.Key).second)
                errors_.push_back(Member(frame.Place, frame.Key) + ": the field is given twice");
            break;
        }
        case Event::value:
            if (!frames_.empty() && frames_.back().IsArray)
                ++frames_.back().NextIndex;
            break;
        }
        return true;
    }

private:
    struct Frame {
        bool IsArray = false;
        std::string Place;
        std::set<std::string> Keys;
        std::string Key; // the member being read
        int NextIndex = 0;
    };

    std::string NextPlace() const {
        if (frames_.empty())
            return "";
        const Frame& frame = frames_.back();
        if (frame.IsArray)
            return frame.Place + "[" + std::to_string(frame.NextIndex) + "]";
        return Member(frame.Place, frame.Key);
    }

    std::vector<std::string>& errors_;
    std::vector<Frame> frames_;
};

// What a value is, in the words of the messages.
std::string KindOf(const Json& value) {
    if (value.is_number_integer())
        return "a whole number";
    if (value.is_number())
        return "a number";
    if (value.is_string())
        return "a text";
    if (value.is_boolean())
        return "true or false";
    if (value.is_object())
        return "an object";
    if (value.is_array())
        return "an array";
    return "null";
}

template <std::size_t N> std::string Names(const std::array<const char*, N>& names) {
    std::string text;
    for (std::size_t i = 0; i < N; ++i) {
        text += i == 0 ? "" : i + 1 == N ? " or " : ", ";
        text += names[i];
    }
    return text;
}

// Collects the errors of one reading.
class Checker {
public:
    std::vector<std::string> Errors;

    void Add(const std::string& place, const std::string& message) {
        Errors.push_back((place.empty() ? "the document" : place) + ": " + message);
    }

    bool Expect(const std::string& place, const Json& value, bool ok, const char* kind) {
        if (!ok)
            Add(place, std::string(kind) + " is expected, not " + KindOf(value));
        return ok;
    }

    // Every field of `object` is one of `known`; each of `required` is there.
    template <std::size_t N>
    void CheckFields(const std::string& place, const Json& object,
                     const std::array<const char*, N>& known, std::span<const char* const> required,
                     const char* unknownWhat = "field", const char* knownWhat = "fields") {
        for (const auto& [key, value] : object.items()) {
            bool isKnown = false;
            for (const char* name : known)
                isKnown = isKnown || key == name;
            if (!isKnown)
                Add(Member(place, key), std::string("unknown ") + unknownWhat + " (the " +
                                            knownWhat + " are " + Names(known) + ")");
        }
        for (const char* name : required) {
            if (!object.contains(name))
                Add(Member(place, name), "missing");
        }
    }

    // A whole number from `low` to `high`.
    std::optional<std::int64_t> Number(const std::string& place, const Json& value,
                                       std::int64_t low, std::int64_t high) {
        if (value.is_number_float()) {
            Add(place, value.dump() + " is not a whole number");
            return std::nullopt;
        }
        if (!Expect(place, value, value.is_number_integer(), "a whole number"))
            return std::nullopt;
        const bool big = value.is_number_unsigned() &&
                         value.get<std::uint64_t>() > static_cast<std::uint64_t>(high);
        const std::int64_t number = big ? high + 1 : value.get<std::int64_t>();
        if (number < low || number > high) {
            Add(place,
                value.dump() + " is outside " + std::to_string(low) + ".." + std::to_string(high));
            return std::nullopt;
        }
        return number;
    }

    // The four groups' words: true for `on`, false for `off`.
    std::optional<std::array<bool, kGroupCount>> Groups(const std::string& place, const Json& value,
                                                        const char* on, const char* off) {
        if (!Expect(place, value, value.is_object(), "an object"))
            return std::nullopt;
        CheckFields(place, value, kGroupNames, kGroupNames, "group", "groups");
        std::array<bool, kGroupCount> groups{};
        bool ok = true;
        for (int g = 0; g < kGroupCount; ++g) {
            const auto found = value.find(kGroupNames[g]);
            if (found == value.end()) {
                ok = false;
                continue;
            }
            const std::string groupPlace = Member(place, kGroupNames[g]);
            if (!Expect(groupPlace, *found, found->is_string(), "a text")) {
                ok = false;
                continue;
            }
            const std::string word = found->get<std::string>();
            if (word != on && word != off) {
                Add(groupPlace, found->dump() + " is neither " + on + " nor " + off);
                ok = false;
                continue;
            }
            groups[g] = word == on;
        }
        if (!ok)
            return std::nullopt;
        return groups;
    }

    // "04,FF,00,00,00,00,00,00": 8 bytes of two hex digits each, separated by commas.
    std::optional<std::array<std::uint8_t, 8>> Bytes(const std::string& place, const Json& value) {
        if (!Expect(place, value, value.is_string(), "a text"))
            return std::nullopt;
        const std::string text = value.get<std::string>();
        std::array<std::uint8_t, 8> bytes{};
        bool ok = text.size() == 8 * 3 - 1;
        for (std::size_t i = 0; ok && i < bytes.size(); ++i) {
            const char* at = text.data() + 3 * i;
            unsigned byte = 0;
            const auto [end, error] = std::from_chars(at, at + 2, byte, 16);
            ok = error == std::errc() && end == at + 2 &&
                 (i + 1 == bytes.size() || text[3 * i + 2] == ',');
            bytes[i] = static_cast<std::uint8_t>(byte);
        }
        if (!ok) {
            Add(place, value.dump() + " is not 8 bytes of two hex digits separated by commas");
            return std::nullopt;
        }
        return bytes;
    }
};

// The bytes given with the group bits (`mask` in each group's even byte) the document's
// words say, or the group bits alone; a byte that says otherwise is an error.
void FillBytes(Checker& checker, const std::string& place, const Json& object, const char* field,
               const std::array<bool, kGroupCount>& groups, const char* groupsField,
               std::uint8_t mask, const char* on, const char* off, std::uint8_t (&bytes)[8]) {
    const auto found = object.find(field);
    if (found == object.end()) {
        for (int g = 0; g < kGroupCount; ++g)
            bytes[2 * g] = groups[g] ? mask : 0;
        return;
    }
    const std::string bytesPlace = Member(place, field);
    const auto given = checker.Bytes(bytesPlace, *found);
    if (!given)
        return;
    for (int g = 0; g < kGroupCount; ++g) {
        const bool set = ((*given)[2 * g] & mask) != 0;
        if (set != groups[g])
            checker.Add(bytesPlace, "byte " + std::to_string(2 * g) + " says " + kGroupNames[g] +
                                        " is " + (set ? on : off) + ", " + groupsField + "." +
                                        kGroupNames[g] + " says " + (groups[g] ? on : off));
    }
    std::copy(given->begin(), given->end(), bytes);
}

std::optional<DocumentTemplate> ReadTemplate(Checker& checker, const std::string& place,
                                             const Json& value) {
    if (!checker.Expect(place, value, value.is_object(), "an object"))
        return std::nullopt;
    constexpr std::array<const char*, 4> required = {"index", "switchId", "edges", "latches"};
    checker.CheckFields(place, value, kTemplateFields, required);
    const std::size_t errorsBefore = checker.Errors.size();

    DocumentTemplate read;
    read.Place = place;
    std::optional<std::int64_t> index, switchId;
    std::optional<std::array<bool, kGroupCount>> edges, latches;
    if (value.contains("index"))
        index = checker.Number(Member(place, "index"), value["index"], 0,
                               templates::kTemplateCount - 1);
    if (value.contains("switchId"))
        switchId = checker.Number(Member(place, "switchId"), value["switchId"], 0,
                                  templates::kTemplateCount - 1);
    if (value.contains("edges"))
        edges = checker.Groups(Member(place, "edges"), value["edges"], "rising", "falling");
    if (value.contains("latches"))
        latches = checker.Groups(Member(place, "latches"), value["latches"], "enable", "disable");
    if (edges)
        FillBytes(checker, place, value, "triggerMode", *edges, "edges",
                  templates::kTriggerRisingMask, "rising", "falling", read.Record.TriggerMode);
    if (latches)
        FillBytes(checker, place, value, "latchData", *latches, "latches",
                  templates::kLatchEnableMask, "enable", "disable", read.Record.LatchData);
    if (checker.Errors.size() != errorsBefore || !index || !switchId || !edges || !latches)
        return std::nullopt;
    read.Index = static_cast<int>(*index);
    read.Record.SwitchId = static_cast<std::int32_t>(*switchId);
    return read;
}

// No two templates share an index or a switch ID.
void CheckUnique(Checker& checker, const std::vector<DocumentTemplate>& read) {
    for (std::size_t i = 0; i < read.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (read[i].Index == read[j].Index)
                checker.Add(Member(read[i].Place, "index"), std::to_string(read[i].Index) +
                                                                " is also the index of " +
                                                                read[j].Place);
            if (read[i].Record.SwitchId == read[j].Record.SwitchId)
                checker.Add(Member(read[i].Place, "switchId"),
                            std::to_string(read[i].Record.SwitchId) + " is also the switch ID of " +
                                read[j].Place);
        }
    }
}

} // namespace

DocumentReading ReadTemplateDocument(std::string_view text) {
    Checker checker;
    Json document;
    try {
        document = Json::parse(text, DuplicateFinder(checker.Errors));
    } catch (const Json::parse_error& error) {
        // "[json.exception.parse_error.101] parse error at line 2, column 5: ...": the
        // place is in nlohmann-json's own words.
        std::string message = error.what();
        if (const std::size_t end = message.find("] "); end != std::string::npos)
            message.erase(0, end + 2);
        checker.Errors.push_back(message);
        return {{}, std::move(checker.Errors)};
    }

    if (!checker.Expect("", document, document.is_object(), "an object"))
        return {{}, std::move(checker.Errors)};
    checker.CheckFields("", document, kDocumentFields, kDocumentFields);
    if (document.contains("version")) {
        const auto version = checker.Number("version", document["version"], 0, INT32_MAX);
        if (version && *version != kDocumentVersion)
            checker.Add("version", std::to_string(*version) +
                                       " is not a version this program reads (" +
                                       std::to_string(kDocumentVersion) + ")");
    }
    std::vector<DocumentTemplate> read;
    if (document.contains("templates")) {
        const Json& list = document["templates"];
        if (checker.Expect("templates", list, list.is_array(), "an array")) {
            if (list.size() > static_cast<std::size_t>(templates::kTemplateCount))
                checker.Add("templates", std::to_string(list.size()) +
                                             " templates; the window supports up to 16");
            for (std::size_t i = 0; i < list.size(); ++i) {
                if (auto one =
                        ReadTemplate(checker, "templates[" + std::to_string(i) + "]", list[i]))
                    read.push_back(std::move(*one));
            }
        }
    }
    CheckUnique(checker, read);
    if (!checker.Errors.empty())
        read.clear();
    return {std::move(read), std::move(checker.Errors)};
}

std::string TemplateDocumentText(std::span<const ShownTemplate> shown) {
    Json list = Json::array();
    for (const ShownTemplate& one : shown)
        list.push_back(TemplateValue(one, TemplateBytes::WhereOtherBits));
    Json document = Json::object();
    document["version"] = kDocumentVersion;
    document["templates"] = std::move(list);
    return DocumentJson(document);
}

} // namespace cli
