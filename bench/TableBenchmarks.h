// The template window's file work on generated driver files: opening its data, and Save
// after no change, one switch ID change, every value changed, and Remove of a template.
#pragma once

#include <cstddef>

namespace bench {

// Registers "<operation>/<placement>/<size>" for both placements and one size.
void RegisterTableBenchmarks(std::size_t size);

} // namespace bench
