#include "regfile/RegistryChange.h"

#include <algorithm>
#include <utility>

#include "regfile/TextEdits.h"

namespace regfile {
namespace {

std::string Describe(std::uint32_t type, std::string_view data) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text = "type " + std::to_string(type) + " [";
    for (std::size_t i = 0; i < data.size() && i < 16; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (i > 0)
            text += ' ';
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    if (data.size() > 16)
        text += " ...";
    return text + "]";
}

std::string ValueName(std::string_view name) {
    return name.empty() ? "the default value" : "the value \"" + std::string(name) + "\"";
}

std::string Missing(std::string_view name, std::string_view keyPath) {
    return ValueName(name) + " of " + std::string(keyPath) + " would be missing";
}
std::string Appears(std::string_view name, std::uint32_t type, std::string_view data,
                    std::string_view keyPath) {
    return ValueName(name) + " of " + std::string(keyPath) + " would appear (" +
           Describe(type, data) + ")";
}
std::string Differs(std::string_view name, std::string_view keyPath, std::uint32_t wantType,
                    std::string_view want, std::uint32_t gotType, std::string_view got) {
    return ValueName(name) + " of " + std::string(keyPath) + " would be " + Describe(gotType, got) +
           " instead of " + Describe(wantType, want);
}

class Comparison {
public:
    Comparison(const ImportReading& before, const RegistryChange& change,
               const ImportReading& after)
        : before_(before), change_(change), after_(after) {}

    std::string Run() {
        MayGo();
        if (std::string difference = KeptKeys(); !difference.empty())
            return difference;
        if (std::string difference = SetKeys(); !difference.empty())
            return difference;
        return NewKeys();
    }

private:
    bool Deleted(std::string_view lower) const {
        return std::any_of(change_.Deleted.begin(), change_.Deleted.end(),
                           [&](const std::string& key) { return IsKeyOrBelow(lower, key); });
    }
    // The key is in the registry as the change means it.
    bool Intended(std::string_view lower) const {
        return change_.Set.contains(std::string(lower)) || !Deleted(lower);
    }

    // The parents of deleted keys that held nothing but them, which may go with them.
    void MayGo() {
        for (const std::string& deleted : change_.Deleted) {
            std::string path = deleted;
            for (std::size_t cut = path.rfind('\\'); cut != std::string::npos;
                 cut = path.rfind('\\')) {
                path.resize(cut);
                if (change_.Set.contains(path) || after_.FindKey(path) >= 0)
                    break;
                const int key = before_.FindKey(path);
                if (key < 0 || !before_.Keys()[static_cast<std::size_t>(key)].Values.empty() ||
                    HoldsIntended(key, path))
                    break;
                mayGo_.push_back(path);
            }
        }
    }
    // A key below `key` (in `before`) or in the change's set stays.
    bool HoldsIntended(int key, std::string_view lower) const {
        for (const auto& [setPath, contents] : change_.Set) {
            if (setPath != lower && IsKeyOrBelow(setPath, lower))
                return true;
        }
        for (const int child : before_.Keys()[static_cast<std::size_t>(key)].Children) {
            const ImportedKey& below = before_.Keys()[static_cast<std::size_t>(child)];
            if (!below.Alive)
                continue;
            const std::string lowerChild = LowerCase(below.Path);
            if (std::find(mayGo_.begin(), mayGo_.end(), lowerChild) != mayGo_.end())
                continue;
            if (Intended(lowerChild) || HoldsIntended(child, lowerChild))
                return true;
        }
        return false;
    }

    // Every key of `before` that the change keeps as it is.
    std::string KeptKeys() const {
        for (std::size_t id = 0; id < before_.Keys().size(); ++id) {
            const ImportedKey& key = before_.Keys()[id];
            if (!key.Alive)
                continue;
            const std::string lower = LowerCase(key.Path);
            if (change_.Set.contains(lower) || Deleted(lower))
                continue;
            const int other = after_.FindKey(key.Path);
            if (other < 0) {
                if (std::find(mayGo_.begin(), mayGo_.end(), lower) != mayGo_.end())
                    continue;
                return "the key " + key.Path + " would be missing";
            }
            const ImportedKey& now = after_.Keys()[static_cast<std::size_t>(other)];
            for (const ImportedValue& value : key.Values) {
                const ImportedValue* got = after_.FindValue(other, value.Name);
                if (got == nullptr)
                    return Missing(value.Name, key.Path);
                if (got->Type != value.Type || got->Data != value.Data)
                    return Differs(value.Name, key.Path, value.Type, value.Data, got->Type,
                                   got->Data);
            }
            if (now.Values.size() != key.Values.size()) {
                for (const ImportedValue& value : now.Values) {
                    if (before_.FindValue(static_cast<int>(id), value.Name) == nullptr)
                        return Appears(value.Name, value.Type, value.Data, key.Path);
                }
            }
        }
        return {};
    }

    // Every key the change sets, in path order so that the first difference is the same on
    // every run.
    std::string SetKeys() const {
        std::vector<const std::string*> paths;
        for (const auto& [path, contents] : change_.Set)
            paths.push_back(&path);
        std::sort(paths.begin(), paths.end(),
                  [](const std::string* a, const std::string* b) { return *a < *b; });
        for (const std::string* path : paths) {
            const RegistryKey& want = change_.Set.at(*path);
            const int other = after_.FindKey(*path);
            if (other < 0)
                return "the key " + want.Path + " would be missing";
            // The set values are keyed by their lower-case names.
            std::vector<std::pair<const std::string*, const RegistryValue*>> values;
            for (const auto& [name, value] : want.Values)
                values.emplace_back(&name, &value);
            std::sort(values.begin(), values.end(),
                      [](const auto& a, const auto& b) { return *a.first < *b.first; });
            for (const auto& [name, value] : values) {
                const ImportedValue* got = after_.FindValue(other, value->Name);
                if (got == nullptr)
                    return Missing(value->Name, want.Path);
                if (got->Type != value->Type || got->Data != value->Data)
                    return Differs(value->Name, want.Path, value->Type, value->Data, got->Type,
                                   got->Data);
            }
            for (const ImportedValue& value :
                 after_.Keys()[static_cast<std::size_t>(other)].Values) {
                if (!want.Values.contains(LowerCase(value.Name)))
                    return Appears(value.Name, value.Type, value.Data, want.Path);
            }
        }
        return {};
    }

    // Every key of `after` that neither `before` nor the change holds.
    std::string NewKeys() const {
        for (const ImportedKey& key : after_.Keys()) {
            if (!key.Alive)
                continue;
            const std::string lower = LowerCase(key.Path);
            if (change_.Set.contains(lower))
                continue;
            if (before_.FindKey(key.Path) >= 0 && !Deleted(lower))
                continue;
            return "a key " + key.Path + " would appear";
        }
        return {};
    }

    const ImportReading& before_;
    const RegistryChange& change_;
    const ImportReading& after_;
    std::vector<std::string> mayGo_;
};

} // namespace

std::string FirstDifference(const ImportReading& before, const RegistryChange& change,
                            const ImportReading& after) {
    return Comparison(before, change, after).Run();
}

namespace {

// The text outside the sections of a reading's keys, as the pieces between them, and where
// each section that stays stands in it.
struct Outside {
    struct Anchor {
        std::size_t At = 0; // offset in the outside text
        std::string Path;   // lower case
    };
    std::vector<std::pair<std::size_t, std::size_t>> Pieces;
    std::vector<Anchor> Anchors;
    std::size_t Length = 0; // without the blanks and line ends at its end

    Outside(const ImportReading& reading, std::string_view text, const RegistryChange* change) {
        struct Placed {
            std::size_t Begin = 0;
            std::size_t End = 0;
            const ImportedKey* Key = nullptr;
            bool Stays = true;
        };
        std::vector<Placed> sections;
        for (const ImportedKey& key : reading.Keys()) {
            bool goes = false;
            if (change != nullptr && key.Alive) {
                const std::string lower = LowerCase(key.Path);
                for (const std::string& deleted : change->Deleted)
                    goes = goes || IsKeyOrBelow(lower, deleted);
            }
            for (const KeySection& section : key.Sections)
                sections.push_back({section.Bracket, section.End, &key, !goes});
        }
        std::sort(sections.begin(), sections.end(),
                  [](const Placed& a, const Placed& b) { return a.Begin < b.Begin; });
        std::size_t at = 0;
        std::size_t total = 0;
        for (const Placed& section : sections) {
            if (section.Begin > at) {
                Pieces.emplace_back(at, section.Begin);
                total += section.Begin - at;
            }
            if (section.Stays)
                Anchors.push_back({total, LowerCase(section.Key->Path)});
            at = std::max(at, section.End);
        }
        if (text.size() > at) {
            Pieces.emplace_back(at, text.size());
            total += text.size() - at;
        }
        Length = total;
        for (auto piece = Pieces.rbegin(); piece != Pieces.rend(); ++piece) {
            std::size_t end = piece->second;
            while (end > piece->first &&
                   std::string_view(" \t\r\n").find(text[end - 1]) != std::string_view::npos)
                --end;
            Length -= piece->second - end;
            if (end > piece->first)
                break;
        }
        while (!Anchors.empty() && Anchors.back().At >= Length)
            Anchors.pop_back();
    }
};

// The first offset of the outside text at which the two differ, or npos.
std::size_t FirstUnequal(const Outside& a, std::string_view textA, const Outside& b,
                         std::string_view textB) {
    std::size_t ia = 0, ib = 0, oa = 0, ob = 0, done = 0;
    const std::size_t length = std::min(a.Length, b.Length);
    while (done < length) {
        const auto& pa = a.Pieces[ia];
        const auto& pb = b.Pieces[ib];
        const std::size_t n =
            std::min({pa.second - pa.first - oa, pb.second - pb.first - ob, length - done});
        const std::string_view x = textA.substr(pa.first + oa, n);
        const std::string_view y = textB.substr(pb.first + ob, n);
        if (x != y) {
            std::size_t i = 0;
            while (x[i] == y[i])
                ++i;
            return done + i;
        }
        done += n;
        oa += n;
        ob += n;
        if (oa == pa.second - pa.first) {
            ++ia;
            oa = 0;
        }
        if (ob == pb.second - pb.first) {
            ++ib;
            ob = 0;
        }
    }
    return a.Length == b.Length ? std::string_view::npos : length;
}

// The offset in the text of the byte at `at` of the outside text.
std::size_t TextOffset(const Outside& outside, std::size_t at) {
    for (const auto& piece : outside.Pieces) {
        if (at < piece.second - piece.first)
            return piece.first + at;
        at -= piece.second - piece.first;
    }
    return outside.Pieces.empty() ? 0 : outside.Pieces.back().second;
}

} // namespace

std::string OutsideDifference(const ImportReading& before, std::string_view beforeText,
                              const RegistryChange& change, const ImportReading& after,
                              std::string_view afterText) {
    // An empty text gets the header line that makes the import read the sections added.
    if (beforeText.empty())
        beforeText = "REGEDIT4\r\n";
    const Outside was(before, beforeText, &change);
    const Outside is(after, afterText, nullptr);
    if (const std::size_t at = FirstUnequal(was, beforeText, is, afterText);
        at != std::string_view::npos)
        return "the lines outside the driver key's sections would change from line " +
               std::to_string(LineNumberAt(beforeText, TextOffset(was, at)));
    for (std::size_t i = 0; i < std::max(was.Anchors.size(), is.Anchors.size()); ++i) {
        if (i < was.Anchors.size() && i < is.Anchors.size() &&
            was.Anchors[i].At == is.Anchors[i].At && was.Anchors[i].Path == is.Anchors[i].Path)
            continue;
        const Outside::Anchor& moved = i < was.Anchors.size() ? was.Anchors[i] : is.Anchors[i];
        return "a section of " + moved.Path + " would move among the lines of other keys";
    }
    return {};
}

} // namespace regfile
