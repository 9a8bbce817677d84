// The floor: what one plain read of the driver file, and one plain read plus write of it,
// cost, through the file layer and through POSIX calls directly; for reference also a
// read that searches the text once, a read plus write made durable with a sync, and the
// system calls alone of a commit under an undo journal.
#pragma once

#include <cstddef>

namespace bench {

// Registers "Floor.<kind>/<size>" for one size.
void RegisterFloorBenchmarks(std::size_t size);

} // namespace bench
