#include "bench/WorkFiles.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bench {
namespace {

// 2001-01-01 00:00:00 UTC.
constexpr time_t kLongAgo = 978307200;

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
    throw std::runtime_error("cannot " + what + " " + path + ": " + std::strerror(errno));
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        Fail("create", path);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            ::close(fd);
            Fail("write", path);
        }
        done += static_cast<std::size_t>(count);
    }
    if (::fdatasync(fd) != 0) {
        ::close(fd);
        Fail("sync", path);
    }
    const timespec times[2] = {{kLongAgo, 0}, {kLongAgo, 0}};
    if (::futimens(fd, times) != 0) {
        ::close(fd);
        Fail("date", path);
    }
    if (::close(fd) != 0)
        Fail("close", path);
}

} // namespace

WorkFiles::WorkFiles() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "pci3916-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        Fail("make", pattern);
    folder_ = pattern;
}

WorkFiles::~WorkFiles() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

const DriverFile& WorkFiles::Generated(std::size_t size, TemplatePlacement placement) {
    const Key key{size, placement};
    auto found = files_.find(key);
    if (found == files_.end())
        found = files_.emplace(key, GenerateDriverFile(size, placement, kDriverFileSeed)).first;
    return found->second;
}

std::string WorkFiles::PathOf(std::size_t size, TemplatePlacement placement) {
    const std::filesystem::path directory =
        std::filesystem::path(folder_) /
        (std::to_string(size) + "-" + std::string(PlacementName(placement)));
    std::filesystem::create_directories(directory);
    return (directory / "PCI3916.reg").string();
}

void WorkFiles::Restore(std::size_t size, TemplatePlacement placement) {
    WriteWholeFile(PathOf(size, placement), Generated(size, placement).Text);
}

void WorkFiles::RestoreIfChanged(std::size_t size, TemplatePlacement placement) {
    const std::string path = PathOf(size, placement);
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && info.st_mtim.tv_sec == kLongAgo &&
        info.st_mtim.tv_nsec == 0 &&
        static_cast<std::size_t>(info.st_size) == Generated(size, placement).Text.size())
        return;
    Restore(size, placement);
}

WorkFiles& SharedWorkFiles() {
    static WorkFiles files;
    return files;
}

std::string ReadWholeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        Fail("open", path);
    std::string bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t count = ::read(fd, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            ::close(fd);
            Fail("read", path);
        }
        if (count == 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(count));
    }
    ::close(fd);
    return bytes;
}

long long ModificationTime(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        Fail("stat", path);
    return static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
}

} // namespace bench
