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

enum class FloorKind {
    Read,
    ReadFind,
    ReadWrite,
    ReadWriteSync,
    PosixRead,
    PosixReadWrite,
    JournaledWrite
};

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

// A file opened, exclusively locked and read whole with POSIX calls; closed at the end.
struct PosixFile {
    explicit PosixFile(const std::string& path) {
        Descriptor = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (Descriptor < 0)
            throw std::runtime_error("cannot open " + path);
        struct stat info {};
        if (::flock(Descriptor, LOCK_EX | LOCK_NB) != 0 || ::fstat(Descriptor, &info) != 0) {
            ::close(Descriptor);
            throw std::runtime_error("cannot lock " + path);
        }
        Length = static_cast<std::size_t>(info.st_size);
        Bytes = std::make_unique_for_overwrite<char[]>(Length);
        std::size_t done = 0;
        while (done < Length) {
            const ssize_t count = ::read(Descriptor, Bytes.get() + done, Length - done);
            if (count <= 0)
                break;
            done += static_cast<std::size_t>(count);
        }
        if (done != Length) {
            ::close(Descriptor);
            throw std::runtime_error("short read of " + path);
        }
    }
    ~PosixFile() { ::close(Descriptor); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    int Descriptor = -1;
    std::size_t Length = 0;
    std::unique_ptr<char[]> Bytes;
};

// The same with POSIX calls only (and the same exclusive lock).
void PosixFloor(const std::string& path, bool write) {
    PosixFile file(path);
    std::size_t written = 0;
    while (write && written < file.Length) {
        const ssize_t count = ::pwrite(file.Descriptor, file.Bytes.get() + written,
                                       file.Length - written, static_cast<off_t>(written));
        if (count <= 0)
            throw std::runtime_error("short write of " + path);
        written += static_cast<std::size_t>(count);
    }
}

// The system calls of a commit that rewrites one byte of the file in place under an undo
// journal beside it, as a Save's commit makes them, and nothing else: open, lock and read
// the file; create the journal (never following a link), write a record as long as a
// one-byte change's, sync it and its folder; write the byte, sync the file; remove the
// journal. It is the least a Save that survives a crash of the machine can cost here, and
// tells how much of a small Save's cost is the file system's.
void JournaledFloor(const std::string& path) {
    PosixFile file(path);
    const std::string journalPath = path + ".undo";
    const int journal =
        ::open(journalPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    bool ok = journal >= 0;
    const char record[92] = {};
    ok = ok && ::write(journal, record, sizeof record) == static_cast<ssize_t>(sizeof record) &&
         ::fsync(journal) == 0;
    const std::string folder = path.substr(0, path.find_last_of('/') + 1);
    const int directory = ok ? ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    ok = directory >= 0 && ::fsync(directory) == 0;
    if (directory >= 0)
        ::close(directory);
    // The same byte again, so that the file stays as generated.
    const std::size_t at = file.Length / 2;
    ok = ok && file.Length > 0 &&
         ::pwrite(file.Descriptor, file.Bytes.get() + at, 1, static_cast<off_t>(at)) == 1 &&
         ::fsync(file.Descriptor) == 0;
    if (journal >= 0) {
        ::close(journal);
        ok = ::unlink(journalPath.c_str()) == 0 && ok;
    }
    if (!ok)
        throw std::runtime_error("the journaled write of " + path + " failed");
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
    case FloorKind::JournaledWrite:
        return JournaledFloor(path);
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
        {FloorKind::JournaledWrite, "Floor.JournaledWrite"},
    };
    for (const Named& named : kinds) {
        const std::string name = std::string(named.Name) + "/" + SizeLabel(size);
        benchmark::RegisterBenchmark(name.c_str(), FloorBenchmark, named.Kind, size)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    }
}

} // namespace bench
