// The terminal front end of the windowing layer: shows every window of the layer in the
// terminal and turns keys and mouse presses into the user's actions, until the host's
// condition for running ends or the user interrupts it (Ctrl-C).
//
// Use: Start (takes over the terminal and presents message boxes), create the host's main
// window with ScreenPixels, Run, destroy the windows (their closing prompts are still
// shown here), then Stop, which gives the terminal back as it was.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Window.h"

namespace terminal {

struct FrontEndOptions {
    std::string File; // the file being edited, shown in the status line
};

class FrontEnd {
public:
    explicit FrontEnd(FrontEndOptions options);
    ~FrontEnd();
    FrontEnd(const FrontEnd&) = delete;
    FrontEnd& operator=(const FrontEnd&) = delete;

    // Takes over the terminal; the reason when it cannot.
    std::optional<std::string> Start();
    // The terminal's size in the layer's pixels, for the main window that fills it.
    ui::Rect ScreenPixels() const;
    // Shows the windows and handles input while keepRunning() holds; returns early when
    // the user interrupts (Ctrl-C, SIGINT, SIGTERM).
    void Run(ui::WindowHandle mainWindow, const std::function<bool()>& keepRunning);
    // Gives the terminal back; the message boxes go back to their default answer.
    void Stop();

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace terminal
