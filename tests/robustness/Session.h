// What the robustness tests share: the configuration library loaded into the test process
// as the host loads it, one host session with its main window and message box recorder,
// the user's actions on the library's window, a driver tree in a temporary folder, and
// the processes of devhost.
#pragma once

#include <sys/types.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/Library.h"
#include "platform/Window.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/TempFolder.h"

namespace robustness {

// "[HKEY_LOCAL_MACHINE\Drivers\BuiltIn\PCI\Template\VKR3916S\Template<index>]"
std::string Header(int index);
// A template section in the written form, as the library appends it.
std::string Section(int index, int switchId, std::string_view trigger, std::string_view latch);
// A driver file with some text of its own ahead of the templates `indices`.
std::string DriverFile(std::initializer_list<int> indices);

// A driver tree: <folder>/root/ with the driver file's folders made.
class DriverTree {
public:
    DriverTree();
    // The root argument, ending with a separator.
    const std::string& Root() const { return root_; }
    // Where DriverConfig looks for the file under Root().
    const std::string& RegPath() const { return regPath_; }
    const std::string& Folder() const { return folder_; }
    void Write(std::string_view bytes) const;
    std::string Read() const;
    bool JournalLeft() const;

private:
    testing_support::TempFolder temp_;
    std::string folder_;
    std::string root_;
    std::string regPath_;
};

// One host session: the host's main window, active, and every message box recorded.
// Ending the session destroys the main window (and with it the library's windows),
// answering Cancel to the closing prompts, so nothing is written on the way out.
class Session {
public:
    explicit Session(std::string root, std::string module = "PCI3916Cfg.dll");
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // DriverConfig's result; the window it showed is Window().
    int Open();
    ui::WindowHandle Window() const;

    // The user's actions; each fails the test when a user could not perform it.
    void ExpandModel() const;
    void Select(std::string_view node) const;
    void Click(int id) const;
    void Tab(int index) const;
    void Choose(int comboId, int item) const;

    bool Enabled(int id) const;
    // The texts of the template nodes under the model node, joined by ",".
    std::string TemplateNodes() const;
    const std::vector<ui::desktop::MessageBoxRequest>& Boxes() const { return boxes_.Boxes(); }
    // Boxes with the stop icon recorded since `from`.
    int StopBoxesSince(std::size_t from) const;
    void QueueAnswer(int answer) { boxes_.QueueAnswer(answer); }

private:
    ui::WindowHandle Control(int id) const;
    ui::WindowHandle Tree() const;

    host::Library library_;
    ui::WindowHandle frame_ = nullptr;
    testing_support::MessageBoxRecorder boxes_;
};

// Compares file contents without printing them (a test's files reach megabytes, and a
// failed string comparison would print and diff them whole): on a difference it gives the
// sizes and the first differing offset with a few bytes around it.
::testing::AssertionResult SameBytes(std::string_view actual, std::string_view expected);

// Open file descriptors of this process, to check that no task leaves one behind.
int OpenDescriptors();

// devhost, started with its output in files. Pid is -1 when the process could not be made.
struct HostRun {
    pid_t Pid = -1;
    std::string Out;
    std::string Err;
};
// Starts devhost --root ROOT --script SCRIPT; `asUser` runs it under that user id.
HostRun StartHost(const std::string& root, const std::string& script, const std::string& outDir,
                  std::optional<uid_t> asUser = std::nullopt);
// Waits for the host; its exit status, or 128 + the signal that ended it (-1: no host).
int WaitHost(const HostRun& run);
// Stops the host and returns once it is stopped, so that it changes nothing any more; false
// when it ended meanwhile (then it has been waited for, and `status` holds its status).
bool StopHost(const HostRun& run, int& status);
void ContinueHost(const HostRun& run);
// SIGKILL, then waits; the status as WaitHost gives it.
int KillHost(const HostRun& run);
std::string ReadText(const std::string& path);

} // namespace robustness
