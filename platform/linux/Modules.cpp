#include "platform/linux/Modules.h"

#include <dlfcn.h>
#include <errno.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <unordered_set>
#include <variant>
#include <vector>

#include "platform/linux/Resources.h"

namespace ui {

struct BitmapObject {
    desktop::Pixels Pixels;
};

namespace detail {
namespace {

struct ModuleEntry {
    const void* Base = nullptr;
    const ModuleResources* Resources = nullptr;
    std::string Title;
    // Read on first use: the resources, or the reader's report.
    std::unique_ptr<std::variant<rc::Resources, std::string>> Read;
    std::map<int, std::unique_ptr<BitmapObject>> Bitmaps;
};

struct ApplicationEntry {
    Application* Object = nullptr;
    const void* Base = nullptr;
    bool Started = false;
    bool StartFailed = false;
};

struct ModuleTable {
    std::vector<ModuleEntry> Modules;
    std::vector<ApplicationEntry> Applications;
    std::unordered_set<const BitmapObject*> LiveBitmaps;
};

// Never destroyed: modules register and unregister while the process starts and ends.
ModuleTable& Table() {
    static ModuleTable* table = new ModuleTable;
    return *table;
}

ModuleEntry* FindModule(const void* base) {
    auto& modules = Table().Modules;
    const auto found =
        std::find_if(modules.begin(), modules.end(),
                     [base](const ModuleEntry& entry) { return entry.Base == base; });
    return found == modules.end() ? nullptr : &*found;
}

ApplicationEntry* FindApplication(const void* base) {
    auto& applications = Table().Applications;
    for (auto it = applications.rbegin(); it != applications.rend(); ++it)
        if (it->Base == base)
            return &*it;
    return nullptr;
}

// The start-up step runs once the application object is complete and its module's
// resources are known: at registration of the resources, or on the first use.
bool Start(ApplicationEntry& entry) {
    if (!entry.Started) {
        entry.Started = true;
        entry.StartFailed = !entry.Object->InitInstance();
    }
    return !entry.StartFailed;
}

std::string TitleOf(std::string_view path) {
    if (const auto slash = path.find_last_of('/'); slash != std::string_view::npos)
        path.remove_prefix(slash + 1);
    if (const auto dot = path.find_last_of('.'); dot != std::string_view::npos && dot > 0)
        path = path.substr(0, dot);
    return std::string(path);
}

void Read(ModuleEntry& module) {
    auto read = rc::ReadResourceFile(module.Resources->Bytes);
    if (auto* error = std::get_if<std::string>(&read))
        *error = std::string(module.Resources->Name) + ": " + *error;
    module.Read = std::make_unique<std::variant<rc::Resources, std::string>>(std::move(read));
}

} // namespace

ModuleIdentity ModuleContaining(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || !info.dli_fbase)
        return {};
    std::string_view path = info.dli_fname ? info.dli_fname : "";
    if (path.empty())
        path = program_invocation_name;
    return {info.dli_fbase, TitleOf(path)};
}

void RegisterApplication(Application& application, const void* moduleBase) {
    Table().Applications.push_back({&application, moduleBase});
}

void UnregisterApplication(Application& application) {
    auto& applications = Table().Applications;
    std::erase_if(applications, [&application](const ApplicationEntry& entry) {
        return entry.Object == &application;
    });
}

Application* CurrentApplication() {
    const auto& applications = Table().Applications;
    return applications.empty() ? nullptr : applications.back().Object;
}

ModuleResourceSet CurrentModuleResources() {
    ModuleResourceSet result;
    auto& applications = Table().Applications;
    if (applications.empty()) {
        result.Error = "no application is registered, so there are no resources";
        return result;
    }
    ApplicationEntry& application = applications.back();
    result.ModuleTitle = application.Object->Title();
    if (!Start(application)) {
        result.Error = result.ModuleTitle + ": the application's start-up failed";
        return result;
    }
    ModuleEntry* module = application.Base ? FindModule(application.Base) : nullptr;
    if (!module) {
        result.Error = result.ModuleTitle + ": the module has no embedded resources";
        return result;
    }
    if (!module->Read)
        Read(*module);
    if (const auto* error = std::get_if<std::string>(module->Read.get())) {
        result.Error = *error;
        return result;
    }
    result.Resources = &std::get<rc::Resources>(*module->Read);
    return result;
}

Bitmap LoadModuleBitmap(int resourceId) {
    const ModuleResourceSet resources = CurrentModuleResources();
    if (!resources.Resources) {
        std::fprintf(stderr, "%s\n", resources.Error.c_str());
        return nullptr;
    }
    const rc::BitmapResource* resource = resources.Resources->FindBitmap(resourceId);
    if (!resource)
        return nullptr;
    ModuleEntry* module = FindModule(Table().Applications.back().Base);
    auto& slot = module->Bitmaps[resourceId];
    if (!slot) {
        slot = std::make_unique<BitmapObject>();
        slot->Pixels = resource->Pixels;
        Table().LiveBitmaps.insert(slot.get());
    }
    return slot.get();
}

const desktop::Pixels* PixelsOf(Bitmap bitmap) {
    if (!bitmap || Table().LiveBitmaps.count(bitmap) == 0)
        return nullptr;
    return &bitmap->Pixels;
}

} // namespace detail

void RegisterModuleResources(const ModuleResources* resources) {
    using namespace detail;
    const ModuleIdentity identity = ModuleContaining(resources);
    // Memory outside any module still gets an entry of its own.
    const void* base = identity.Base ? identity.Base : resources;
    ModuleEntry* module = FindModule(base);
    if (!module) {
        Table().Modules.emplace_back();
        module = &Table().Modules.back();
        module->Base = base;
    }
    module->Resources = resources;
    module->Title = identity.Title;
    module->Read.reset();
    if (ApplicationEntry* application = FindApplication(base))
        Start(*application);
}

void UnregisterModuleResources(const ModuleResources* resources) {
    using namespace detail;
    ModuleTable& table = Table();
    const auto found = std::find_if(
        table.Modules.begin(), table.Modules.end(),
        [resources](const ModuleEntry& entry) { return entry.Resources == resources; });
    if (found == table.Modules.end())
        return;
    if (ApplicationEntry* application = FindApplication(found->Base);
        application && application->Started && !application->StartFailed) {
        application->Object->ExitInstance();
        application->Started = false;
    }
    for (const auto& bitmap : found->Bitmaps)
        table.LiveBitmaps.erase(bitmap.second.get());
    table.Modules.erase(found);
}

} // namespace ui
