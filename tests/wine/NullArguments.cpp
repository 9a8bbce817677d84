// A host of its own for the library under Wine: calls DriverConfig with a null pointer for
// one text argument after the other, and all three at once. Each is taken as an empty text:
// the call returns 1 and the window opens, with the templates of the file the path then
// names (a null root makes it relative to the working folder).
//
//   NullArguments.exe PCI3916Cfg.dll
//
// Prints one line per failed check and a summary; exits non-zero on any failure.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "host/MessageBoxAnswers.h"
#include "host/windows/MessageBoxWatcher.h"

namespace {

using DriverConfigFunction = int(__cdecl*)(int, const char*, const char*, const char*);

int failures = 0;

void Check(bool condition, const std::string& what) {
    if (!condition) {
        ++failures;
        std::printf("FAIL %s\n", what.c_str());
    }
}

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM found) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770" && IsWindowVisible(window))
        reinterpret_cast<std::set<HWND>*>(found)->insert(window);
    return TRUE;
}

std::set<HWND> VisibleDialogs() {
    std::set<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The driver file with one template, Template3, at `path` (its folders made).
void PutDriverFile(const std::string& path) {
    for (std::size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    const char bytes[] =
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\"
        "Template3]\r\n\"SwitchID\"=dword:00000003\r\n";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes, sizeof bytes - 1, &written, nullptr);
    CloseHandle(file);
}

struct Case {
    const char* Name;
    const char* Root;
    const char* Module;
    const char* Extra;
    int TreeItems; // root, model and the file's templates
    bool StopBox;  // the file the path names cannot be read
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: NullArguments.exe PCI3916Cfg.dll\n");
        return 2;
    }
    HMODULE library = LoadLibraryA(argv[1]);
    // Through void*: a FARPROC is not cast to another function type directly.
    const auto driverConfig =
        library ? reinterpret_cast<DriverConfigFunction>(
                      reinterpret_cast<void*>(GetProcAddress(library, "DriverConfig")))
                : nullptr;
    if (!driverConfig) {
        std::printf("FAIL cannot load DriverConfig from %s\n", argv[1]);
        return 1;
    }

    // A work folder as root, and as the working folder for the relative path.
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string work =
        std::string(temp) + "null-arguments-" + std::to_string(GetCurrentProcessId()) + "\\";
    const std::string rel = "Public\\Tarnwick\\Device_Drivers\\PCI3916\\PCI3916.reg";
    PutDriverFile(work + "root\\" + rel);
    PutDriverFile(work + "cwd\\" + rel);
    SetCurrentDirectoryA((work + "cwd").c_str());
    const std::string root = work + "root\\";

    HWND host = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320,
                                200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetActiveWindow(host);

    const Case cases[] = {
        {"null root", nullptr, "PCI3916Cfg.dll", "x", 3, false},
        {"null module name", root.c_str(), nullptr, "x", 2, true},
        {"null extra text", root.c_str(), "PCI3916Cfg.dll", nullptr, 3, false},
        {"all three null", nullptr, nullptr, nullptr, 2, true},
    };
    for (const Case& test : cases) {
        std::ostringstream transcript;
        const std::set<HWND> before = VisibleDialogs();
        int result = 0;
        {
            host::MessageBoxAnswers answers(transcript);
            host::MessageBoxWatcher watcher(answers);
            result = driverConfig(0, test.Root, test.Module, test.Extra);
            Pump();
        }
        const std::string name = test.Name;
        Check(result == 1, name + ": DriverConfig returned " + std::to_string(result));
        HWND window = nullptr;
        for (HWND dialog : VisibleDialogs())
            if (!before.count(dialog))
                window = dialog;
        Check(window != nullptr, name + ": no window opened");
        if (window) {
            const auto items = SendMessageA(GetDlgItem(window, 102), TVM_GETCOUNT, 0, 0);
            Check(items == test.TreeItems, name + ": the tree holds " + std::to_string(items) +
                                               " items, not " + std::to_string(test.TreeItems));
            DestroyWindow(window);
        }
        const bool stop = transcript.str().find("icon=stop") != std::string::npos;
        Check(stop == test.StopBox, name + ": boxes: " + transcript.str());
    }
    DestroyWindow(host);
    Pump();
    std::printf("%d cases, %d failed checks\n", static_cast<int>(std::size(cases)), failures);
    return failures == 0 ? 0 : 1;
}
