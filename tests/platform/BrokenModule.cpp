// A loadable module for the tests: an application object and embedded resources whose
// dialog 100 is cut short.
#include "platform/Application.h"
#include "platform/Dialog.h"
#include "platform/linux/Resources.h"

namespace {

// One resource entry: data size 6, header size 32, type RT_DIALOG, name 100, then the
// first six bytes of a dialog template (its style and half its extended style).
constexpr char kBytes[] = "\x06\0\0\0\x20\0\0\0\xFF\xFF\x05\0\xFF\xFF\x64\0"
                          "\0\0\0\0\x30\x10\x09\x04\0\0\0\0\0\0\0\0"
                          "\0\0\0\x80\0\0\0";

const ui::ModuleResources kResources = {"broken.res", {kBytes, sizeof kBytes - 1}};

struct Registrar {
    Registrar() { ui::RegisterModuleResources(&kResources); }
    ~Registrar() { ui::UnregisterModuleResources(&kResources); }
} registrar;

ui::Application application;

} // namespace

extern "C" int CreateBrokenDialog() {
    ui::Dialog dialog(100, nullptr);
    return dialog.Create();
}
