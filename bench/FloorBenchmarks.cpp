#include "bench/FloorBenchmarks.h"

#include <memory>
#include <stdexcept>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bench/Measure.h"
#include "bench/WorkFiles.h"
#include "platform/File.h"

namespace bench {
namespace {

enum class FloorKind { Read, ReadFind, ReadWrite, ReadWriteSync, PosixRead, PosixReadWrite };

struct FloorFile {
    std::string Path;
};

// The header of the last template, which a file task that looks for it scans the whole
// file to find when the templates are at the end.
constexpr std::string_view kLastHeader = "VKR3916S\\Template15]";

// Open, read all, (write all back at the start, sync,) close: through platform::File.
// With `find`, the read text is searched once for the last template's header as well.
void FileLayerFloor(const std::string& path, bool write, bool sync, bool find = false) {
    platform::File file;
    platform::FileErrorInfo error;
    if (file.Open(path, error) != 0)
        throw platform::FileError(error);
    const std::size_t length = static_cast<std::size_t>(file.Length());
    auto bytes = std::make_unique_for_overwrite<char[]>(length);
    if (file.Read({bytes.get(), length}) != length)
        throw std::runtime_error("short read of " + path);
    if (find && std::string_view(bytes.get(), length).find(kLastHeader) == std::string_view::npos)
        throw std::runtime_error("no template header in " + path);
    if (write) {
        file.Seek(0, platform::SeekOrigin::Begin);
        file.Write({bytes.get(), length});
    }
    if (sync)
        file.Sync();
    file.Close();
}

// The same with POSIX calls only (and the same exclusive lock).
void PosixFloor(const std::string& path, bool write) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("cannot open " + path);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        throw std::runtime_error("cannot lock " + path);
    }
    struct stat info {};
    ::fstat(fd, &info);
    const std::size_t length = static_cast<std::size_t>(info.st_size);
    auto bytes = std::make_unique_for_overwrite<char[]>(length);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t count = ::read(fd, bytes.get() + done, length - done);
        if (count <= 0)
            break;
        done += static_cast<std::size_t>(count);
    }
    std::size_t written = 0;
    while (write && written < done) {
        const ssize_t count =
            ::pwrite(fd, bytes.get() + written, done - written, static_cast<off_t>(written));
        if (count <= 0)
            break;
        written += static_cast<std::size_t>(count);
    }
    ::close(fd);
    if (done != length || (write && written != length))
        throw std::runtime_error("short read or write of " + path);
}

void RunFloor(FloorKind kind, const std::string& path) {
    switch (kind) {
    case FloorKind::Read:
        return FileLayerFloor(path, false, false);
    case FloorKind::ReadFind:
        return FileLayerFloor(path, false, false, true);
    case FloorKind::ReadWrite:
        return FileLayerFloor(path, true, false);
    case FloorKind::ReadWriteSync:
        return FileLayerFloor(path, true, true);
    case FloorKind::PosixRead:
        return PosixFloor(path, false);
    case FloorKind::PosixReadWrite:
        return PosixFloor(path, true);
    }
}

void FloorBenchmark(benchmark::State& state, FloorKind kind, std::size_t size) {
    WorkFiles& files = SharedWorkFiles();
    // Floors read the file with the templates at the end; only the size matters to them.
    const TemplatePlacement placement = TemplatePlacement::End;
    files.Restore(size, placement);
    const std::string path = files.PathOf(size, placement);
    const std::string& expected = files.Generated(size, placement).Text;
    const bool writes =
        kind != FloorKind::Read && kind != FloorKind::ReadFind && kind != FloorKind::PosixRead;
    Measure(
        state, size, [&] { return std::make_unique<FloorFile>(FloorFile{path}); },
        [kind](FloorFile& file) { RunFloor(kind, file.Path); },
        [&](FloorFile&) -> std::string {
            // Writing back the same bytes must leave them as they were.
            if (writes && state.iterations() == 1 && ReadWholeFile(path) != expected)
                return "the floor's write changed the file";
            return {};
        },
        [&] { return ModificationTime(path); });
}

} // namespace

void RegisterFloorBenchmarks(std::size_t size) {
    struct Named {
        FloorKind Kind;
        const char* Name;
    };
    constexpr Named kinds[] = {
        {FloorKind::Read, "Floor.Read"},
        {FloorKind::ReadFind, "Floor.ReadFind"},
        {FloorKind::ReadWrite, "Floor.ReadWrite"},
        {FloorKind::ReadWriteSync, "Floor.ReadWriteSync"},
        {FloorKind::PosixRead, "Floor.PosixRead"},
        {FloorKind::PosixReadWrite, "Floor.PosixReadWrite"},
    };
    for (const Named& named : kinds) {
        const std::string name = std::string(named.Name) + "/" + SizeLabel(size);
        benchmark::RegisterBenchmark(name.c_str(), FloorBenchmark, named.Kind, size)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    }
}

} // namespace bench
