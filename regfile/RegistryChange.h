// A change of the registry that a reading gives, and the check that another reading gives
// exactly that registry: the comparison walks the two readings, key by key, without copying
// either registry.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "regfile/ImportReading.h"

namespace regfile {

struct RegistryChange {
    // Lower-case key paths: each goes, with every key below it. A key's parents that held
    // no value and no other key may go with it (the import created them for its key line).
    std::vector<std::string> Deleted;
    // Lower-case key path -> the key's values as they must be after the change (the key
    // exists then). Applied after Deleted: a deleted key set again holds these values only.
    std::unordered_map<std::string, RegistryKey> Set;
};

// The first difference between the registry `before` gives with `change` made and the one
// `after` gives, in words ("the value \"SwitchID\" of KEY would be ..."), or empty when they
// are equal. Key paths and value names compare without regard to letter case.
std::string FirstDifference(const ImportReading& before, const RegistryChange& change,
                            const ImportReading& after);

// The first difference, in words, between what two texts hold outside the sections of the
// keys their readings hold: for a reading of the driver key alone, the lines of every other
// key, which that reading holds nothing of. Sections of keys that `change` deletes are left
// out of `before`; blanks and line ends at the very end do not count. Each section still
// there must stand at the same place among those lines in both texts. Empty when equal.
std::string OutsideDifference(const ImportReading& before, std::string_view beforeText,
                              const RegistryChange& change, const ImportReading& after,
                              std::string_view afterText);

} // namespace regfile
