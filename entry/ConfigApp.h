// The library's application object: it makes the windowing layer know this library as
// the module whose resources the dialogs are built from.
#pragma once

#include "platform/Application.h"

namespace entry {

class ConfigApp : public ui::Application {};

} // namespace entry
