#include "tests/robustness/Session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

#include "platform/linux/Desktop.h"

namespace robustness {
namespace {

namespace desktop = ui::desktop;

constexpr char kRegRelative[] = "Public/Tarnwick/Device_Drivers/PCI3916/PCI3916.reg";

// Loads the library once for the whole test program and keeps it loaded: windows of it may
// outlive a session's own handle to it.
void KeepLibraryLoaded() {
    static host::Library keeper("", "", "");
    static const bool loaded = keeper.Load(PCI_LIBRARY);
    if (!loaded)
        ADD_FAILURE() << "cannot load " << PCI_LIBRARY << ": " << keeper.Error();
}

} // namespace

std::string Header(int index) {
    return "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template" +
           std::to_string(index) + "]";
}

std::string Section(int index, int switchId, std::string_view trigger, std::string_view latch) {
    char id[32];
    std::snprintf(id, sizeof id, "\n\"SwitchID\"=dword:%x\r\n", switchId);
    return " \r\n" + Header(index) + " \r\n" + id +
           "\n\"TriggerMode\"=hex:" + std::string(trigger) +
           "\r\n\n\"LatchData\"=hex:" + std::string(latch) + "\r\n";
}

std::string DriverFile(std::initializer_list<int> indices) {
    std::string file = "REGEDIT4\r\n\r\n; Driver of the board; edit with care.\r\n"
                       "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S]\r\n"
                       "\"Dll\"=\"VKR3916S.dll\"\r\n\"Order\"=dword:00000014\r\n";
    for (int index : indices)
        file += Section(index, index, "04,00,04,00,04,00,04,00", "01,00,00,00,01,00,00,00");
    return file;
}

DriverTree::DriverTree() {
    folder_ = temp_.Path().string();
    root_ = folder_ + "/root/";
    regPath_ = root_ + kRegRelative;
    std::filesystem::create_directories(std::filesystem::path(regPath_).parent_path());
}

void DriverTree::Write(std::string_view bytes) const {
    testing_support::WriteBytes(regPath_, bytes);
}

std::string DriverTree::Read() const {
    return testing_support::ReadBytes(regPath_);
}

bool DriverTree::JournalLeft() const {
    return std::filesystem::exists(regPath_ + ".undo");
}

Session::Session(std::string root, std::string module) : library_(std::move(root), module, "") {
    KeepLibraryLoaded();
    if (!library_.Load(PCI_LIBRARY))
        ADD_FAILURE() << library_.Error();
    frame_ = desktop::CreateFrameWindow("robustness", ui::Rect{0, 0, 640, 480});
    desktop::SetActiveWindow(frame_);
}

Session::~Session() {
    for (int i = 0; i < 4; ++i)
        boxes_.QueueAnswer(IDCANCEL);
    desktop::DestroyWindow(frame_);
}

int Session::Open() {
    return library_.OpenWindow();
}

ui::WindowHandle Session::Window() const {
    return static_cast<ui::WindowHandle>(library_.CurrentWindow());
}

ui::WindowHandle Session::Control(int id) const {
    const ui::WindowHandle window = Window();
    return window ? desktop::FindControl(window, id) : nullptr;
}

ui::WindowHandle Session::Tree() const {
    return Control(102);
}

void Session::ExpandModel() const {
    for (const desktop::TreeRow& row : desktop::VisibleTreeRows(Tree())) {
        if (row.Text == "DeviceTemplate" && !row.Expanded) {
            EXPECT_TRUE(desktop::ClickTreeButton(Tree(), row.Item));
        }
    }
    for (const desktop::TreeRow& row : desktop::VisibleTreeRows(Tree())) {
        if (row.Text == "PCI-3916" && row.HasChildren && !row.Expanded) {
            EXPECT_TRUE(desktop::ClickTreeButton(Tree(), row.Item));
        }
    }
}

void Session::Select(std::string_view node) const {
    ExpandModel();
    for (const desktop::TreeRow& row : desktop::VisibleTreeRows(Tree())) {
        if (row.Text == node) {
            EXPECT_TRUE(desktop::ClickTreeItem(Tree(), row.Item));
            return;
        }
    }
    ADD_FAILURE() << "no tree node " << node;
}

void Session::Click(int id) const {
    const ui::WindowHandle control = Control(id);
    ASSERT_NE(control, nullptr) << "no control " << id;
    EXPECT_TRUE(desktop::IsReallyVisible(control) && desktop::ClickButton(control))
        << "control " << id << " cannot be clicked";
}

void Session::Tab(int index) const {
    EXPECT_TRUE(desktop::ClickTab(Control(101), index));
}

void Session::Choose(int comboId, int item) const {
    EXPECT_TRUE(desktop::ChooseComboItem(Control(comboId), item));
}

bool Session::Enabled(int id) const {
    const ui::WindowHandle control = Control(id);
    return control && desktop::Inspect(control).Enabled;
}

std::string Session::TemplateNodes() const {
    ExpandModel();
    std::string nodes;
    for (const desktop::TreeRow& row : desktop::VisibleTreeRows(Tree())) {
        if (row.Depth != 2)
            continue;
        nodes += nodes.empty() ? "" : ",";
        nodes += row.Text;
    }
    return nodes;
}

int Session::StopBoxesSince(std::size_t from) const {
    int count = 0;
    for (std::size_t i = from; i < boxes_.Boxes().size(); ++i)
        count += (boxes_.Boxes()[i].Flags & 0xF0) == MB_ICONSTOP ? 1 : 0;
    return count;
}

::testing::AssertionResult SameBytes(std::string_view actual, std::string_view expected) {
    if (actual == expected)
        return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    const std::size_t from = at > 40 ? at - 40 : 0;
    auto around = [&](std::string_view bytes) {
        return ::testing::PrintToString(
            std::string(bytes.substr(std::min(from, bytes.size()), 80)));
    };
    return ::testing::AssertionFailure()
           << "the bytes differ: " << actual.size() << " bytes, expected " << expected.size()
           << ", first difference at offset " << at << "\n  actual:   " << around(actual)
           << "\n  expected: " << around(expected);
}

int OpenDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

HostRun StartHost(const std::string& root, const std::string& script, const std::string& outDir,
                  std::optional<uid_t> asUser) {
    HostRun run;
    run.Out = outDir + "/host.out";
    run.Err = outDir + "/host.err";
    const pid_t pid = fork();
    if (pid < 0) {
        ADD_FAILURE() << "cannot start devhost: " << std::strerror(errno);
        return run;
    }
    if (pid == 0) {
        const int out = ::open(run.Out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const int err = ::open(run.Err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
            _exit(126);
        if (asUser && (setgid(*asUser) != 0 || setuid(*asUser) != 0))
            _exit(126);
        execl(PCI_DEVHOST, PCI_DEVHOST, "--root", root.c_str(), "--script", script.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    run.Pid = pid;
    return run;
}

int WaitHost(const HostRun& run) {
    if (run.Pid <= 0)
        return -1;
    int status = 0;
    while (waitpid(run.Pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool StopHost(const HostRun& run, int& status) {
    if (run.Pid <= 0 || kill(run.Pid, SIGSTOP) != 0)
        return false;
    // The signal takes effect when the host next leaves the kernel: wait for the stop.
    int raw = 0;
    while (waitpid(run.Pid, &raw, WUNTRACED) < 0) {
        if (errno != EINTR)
            return false;
    }
    if (WIFSTOPPED(raw))
        return true;
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return false;
}

void ContinueHost(const HostRun& run) {
    if (run.Pid > 0)
        kill(run.Pid, SIGCONT);
}

int KillHost(const HostRun& run) {
    if (run.Pid <= 0)
        return -1;
    kill(run.Pid, SIGKILL);
    return WaitHost(run);
}

std::string ReadText(const std::string& path) {
    try {
        return testing_support::ReadBytes(path);
    } catch (const std::exception&) {
        return "";
    }
}

} // namespace robustness
