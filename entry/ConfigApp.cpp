#include "entry/ConfigApp.h"

namespace entry {

// Constructed when the library is loaded, destroyed when it is unloaded.
ConfigApp theApp;

} // namespace entry
