#include "platform/Application.h"

#include "platform/linux/Modules.h"

namespace ui {

// The application object lives in its module's static storage, so its own address tells
// which module's resources its dialogs are built from.
Application::Application() {
    const detail::ModuleIdentity module = detail::ModuleContaining(this);
    title_ = module.Title;
    detail::RegisterApplication(*this, module.Base);
}

Application::~Application() {
    detail::UnregisterApplication(*this);
}

Application* Application::Current() {
    return detail::CurrentApplication();
}

} // namespace ui
