// import-dump FILE: what the editor's reading of FILE says the registry import leaves, as
// JSON, for comparing with a real import (tests/importer/differential).
//   {"keys": [{"path": ..., "values": [{"name": ..., "type": N, "data": "hex"}]}],
//    "undefined": null | {"line": N, "reason": ...}, "notes": [{"line": N, "kind": ...}]}
// Texts hold the file's bytes, each as the character of the same code point.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include <nlohmann/json.hpp>

#include "ReachAgreement.h"
#include "regfile/ImportReading.h"

namespace {

std::string Latin1(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

const char* KindName(regfile::NoteKind kind) {
    using regfile::NoteKind;
    switch (kind) {
    case NoteKind::NoHeader:
        return "no-header";
    case NoteKind::IgnoredKeyLine:
        return "ignored-key-line";
    case NoteKind::KeyNotOpened:
        return "key-not-opened";
    case NoteKind::KeyDeleted:
        return "key-deleted";
    case NoteKind::DeleteFailed:
        return "delete-failed";
    case NoteKind::ValueDeleted:
        return "value-deleted";
    case NoteKind::ValueRefused:
        return "value-refused";
    case NoteKind::ValueWithoutKey:
        return "value-without-key";
    case NoteKind::Swallowed:
        return "swallowed";
    case NoteKind::IgnoredLine:
        return "ignored-line";
    case NoteKind::ImportStops:
        return "import-stops";
    }
    return "?";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: import-dump FILE\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "import-dump: cannot read %s\n", argv[1]);
        return 2;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const regfile::ImportReading reading = regfile::ImportReading::Read(text, "VKR3916S");
    // The editor reads the driver key alone; every file compared must give it the same.
    if (const std::string why = regfile::DriverKeyDisagreement(text, "VKR3916S"); !why.empty()) {
        std::fprintf(stderr, "import-dump: the reading of the driver key alone differs: %s\n",
                     why.c_str());
        return 3;
    }

    nlohmann::json keys = nlohmann::json::array();
    for (const regfile::ImportedKey& key : reading.Keys()) {
        if (!key.Alive)
            continue;
        nlohmann::json values = nlohmann::json::array();
        for (const regfile::ImportedValue& value : key.Values)
            values.push_back({{"name", Latin1(value.Name)},
                              {"type", value.Type},
                              {"data", Hex(value.Data)},
                              {"line", value.Source.Line}});
        keys.push_back({{"path", Latin1(key.Path)}, {"values", values}});
    }
    nlohmann::json notes = nlohmann::json::array();
    for (const regfile::ImportNote& note : reading.Notes())
        notes.push_back(
            {{"line", note.Line}, {"kind", KindName(note.Kind)}, {"text", Latin1(note.Detail)}});
    nlohmann::json undefined = nullptr;
    if (const auto& at = reading.UndefinedAt())
        undefined = {{"line", at->Line}, {"reason", at->Reason}};
    const nlohmann::json dump = {{"keys", keys}, {"undefined", undefined}, {"notes", notes}};
    std::cout << dump.dump(1) << "\n";
    return 0;
}
