#include "entry/DriverConfig.h"

#include <new>
#include <string>

#include "dialogs/TemplateDialog.h"
#include "platform/FileReason.h"
#include "regfile/FixedText.h"
#include "templates/TemplatePath.h"

namespace {

using regfile::CopyText;

constexpr char kObjectFailed[] = " NEW PCI3916 Config Objeft failed!";

// A missing text: a host without a value for an argument may pass a null pointer.
const char* TextOrEmpty(const char* text) {
    return text ? text : "";
}

} // namespace

extern "C" int DriverConfig(int, const char* rootArgument, const char* moduleArgument,
                            const char* extraArgument) {
    const char* rootPath = TextOrEmpty(rootArgument);
    const char* moduleName = TextOrEmpty(moduleArgument);
    const char* extraText = TextOrEmpty(extraArgument);
    auto* dialog = new (std::nothrow) dialogs::TemplateDialog();
    if (!dialog) {
        ui::MessageBoxA(nullptr, kObjectFailed, nullptr, MB_OK);
        return 0;
    }
    CopyText(dialog->RootPath, rootPath);
    CopyText(dialog->ModuleName, moduleName);
    CopyText(dialog->ExtraText, extraText);

    const std::string path = templates::RegFilePathOf(rootPath, moduleName);
    static_assert(sizeof dialog->RegFilePath == templates::kMaxRegFilePath + 1);
    if (path.size() > templates::kMaxRegFilePath) {
        // A cut path could name another file: refuse instead.
        const std::string text = "The path of the template file is longer than " +
                                 std::to_string(sizeof dialog->RegFilePath - 1) + " characters:\n" +
                                 platform::DisplayPath(path);
        ui::MessageBoxA(nullptr, text.c_str(), nullptr, MB_OK | MB_ICONSTOP);
        delete dialog;
        return 0;
    }
    CopyText(dialog->RegFilePath, path);

    if (dialog->Create())
        dialog->ShowWindow(SW_SHOWNORMAL);
    else
        delete dialog; // no window was made, so nothing else will release it
    return 1;
}
