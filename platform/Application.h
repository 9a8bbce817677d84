// The application object of a module: registering it tells the layer which module's
// resources (dialogs, bitmaps) the dialogs of that module are built from.
#pragma once

#include <string>

namespace ui {

class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Start-up and shut-down steps; the defaults do nothing and succeed.
    virtual bool InitInstance() { return true; }
    virtual int ExitInstance() { return 0; }

    // The module's file name without directory and extension ("PCI3916Cfg").
    const std::string& Title() const { return title_; }

    static Application* Current();

private:
    std::string title_;
};

} // namespace ui
