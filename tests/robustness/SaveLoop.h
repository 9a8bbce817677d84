// A devhost script that saves many times in a row, alternately removing a template and
// adding it again (which appends it at the end of the file), and every file state its
// completed file tasks can leave. The file holds a large section of its own after the
// templates: removing a template ahead of it moves two megabytes and then shortens the file,
// so a kill can fall inside a long write or between the two steps of a commit.
#pragma once

#include <set>
#include <string>

namespace robustness::SaveLoop {

// The driver file the script starts from: templates 0 and 1, then the large section.
std::string Start();
// `rounds` rounds of four Saves: remove template 0, add it, remove template 1, add it.
std::string Script(int rounds);
// The states the Saves of up to two rounds leave.
std::set<std::string> ValidStates();

} // namespace robustness::SaveLoop
