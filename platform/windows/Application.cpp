#include "platform/Application.h"

#include <windows.h>

#include "platform/windows/Module.h"

namespace ui {
namespace {

Application* currentApplication = nullptr;
HINSTANCE resourceModule = nullptr;

} // namespace

namespace win {

std::string ModuleTitle(HINSTANCE module) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    std::string name(path, length);
    if (const auto slash = name.find_last_of("\\/"); slash != std::string::npos)
        name.erase(0, slash + 1);
    if (const auto dot = name.find_last_of('.'); dot != std::string::npos)
        name.erase(dot);
    return name;
}

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

HINSTANCE ResourceModule() {
    return resourceModule ? resourceModule : ThisModule();
}

void SetResourceModule(HINSTANCE module) {
    resourceModule = module;
}

} // namespace win

// The application object lives in the module the platform code is linked into, so that
// module is where its dialogs and bitmaps come from.
Application::Application() {
    win::SetResourceModule(win::ThisModule());
    title_ = win::ModuleTitle(win::ResourceModule());
    currentApplication = this;
}

Application::~Application() {
    if (currentApplication == this)
        currentApplication = nullptr;
}

Application* Application::Current() {
    return currentApplication;
}

} // namespace ui

// The module's start-up and shut-down steps run when the library is loaded and unloaded;
// the runtime has constructed the application object before the first call.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    ui::Application* application = ui::Application::Current();
    if (!application)
        return TRUE;
    if (reason == DLL_PROCESS_ATTACH)
        return application->InitInstance() ? TRUE : FALSE;
    if (reason == DLL_PROCESS_DETACH)
        application->ExitInstance();
    return TRUE;
}
