// export and apply: the file's templates as a JSON document, and a document made the
// file's templates in one Save of the window's.
#pragma once

#include <string>

#include "cli/Arguments.h"
#include "cli/Commands.h"

namespace cli {

// The document on standard output, or in --output FILE.
Outcome Export(const Arguments& arguments, const std::string& path);

// The document is read and checked first (errors: kUsageError, the file untouched); then
// the templates that differ are added, removed (unless --keep-others) and set in one Save.
// --check-only says what differs and ends with kRefused when anything does.
Outcome Apply(const Arguments& arguments, const std::string& path);

} // namespace cli
