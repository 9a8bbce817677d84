// JSON as pci3916cfg reads and writes it: nlohmann-json values, laid out the way list,
// show and export print them (one template per line, ", " and ": " between the parts).
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace cli {

// Objects keep the order their members were added in: the output's order of fields.
using Json = nlohmann::ordered_json;

// The value on one line: {"a": 1, "b": ["x", "y"]}.
std::string InlineJson(const Json& value);

// An object over several lines, each member on a line of its own indented by two spaces,
// and an array member's elements each on a line indented by four; everything below that
// inline. Ends with a line end.
std::string DocumentJson(const Json& document);

} // namespace cli
