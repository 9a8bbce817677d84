// The templates as a JSON document, what export writes and apply reads:
//
//   {"version": 1, "templates": [{"index": 0, "switchId": 3, "edges": {...},
//    "latches": {...}, "triggerMode": "04,FF,...", "latchData": "..."}, ...]}
//
// The fields of a template are those of list --json; "triggerMode" and "latchData" are
// there only where the bytes hold bits beyond the edges and latches (a document written by
// hand needs neither). Reading checks the whole document and reports every fault with its
// place in the document before anything touches the driver file.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/TemplateOutput.h"
#include "templates/TemplateRecord.h"

namespace cli {

inline constexpr int kDocumentVersion = 1;

struct DocumentTemplate {
    int Index = 0;
    // The tag as the table initialises it; the bytes from "triggerMode" and "latchData",
    // or else the edge and latch bits alone.
    templates::TemplateRecord Record{templates::kRecordTag, 0, {}, {}};
    std::string Place; // "templates[2]", for messages
};

struct DocumentReading {
    std::vector<DocumentTemplate> Templates; // in the document's order; empty on errors
    // Each "PLACE: what is wrong", for example "templates[2].switchId: 17 is outside 0..15".
    std::vector<std::string> Errors;
};

DocumentReading ReadTemplateDocument(std::string_view text);

// The document of `shown` (in index order), laid out as list --json, with a line end.
std::string TemplateDocumentText(std::span<const ShownTemplate> shown);

} // namespace cli
