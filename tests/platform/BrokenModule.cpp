// A loadable module for the tests: an application object and an embedded resource script
// with an error on line 4.
#include "platform/Application.h"
#include "platform/Dialog.h"
#include "platform/linux/Resources.h"

namespace {

constexpr char kScript[] = "#define IDD_BROKEN 100\n"
                           "IDD_BROKEN DIALOGEX 0, 0, 10, 10\n"
                           "BEGIN\n"
                           "    PUSHBUTTON \"OK\", IDC_MISSING, 1, 1, 8, 8\n"
                           "END\n";

const ui::ModuleResources kResources = {"broken.rc", kScript, nullptr, 0};

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
