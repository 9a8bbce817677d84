// Fuzz target: recovery from an undo journal beside a file.
//
// The first byte chooses how the journal and the file are made from the rest:
//   - even: a commit of a content into another, both made from the input, is stopped at
//     its first write into the file, its journal kept; the file is then made a mix of the
//     two contents (each byte its old or its new one, the length between), or edited
//     further, or the journal gets a byte changed;
//   - odd: the journal and the file are the input's bytes as they come.
// After recovery, whatever the bytes:
//   - the file is exactly as it was, or it is the content the commit started from;
//   - it is that content exactly when the file was a mix of the commit's two contents
//     (unless it was wholly the new one, which stays), and the journal is then gone;
//   - a file that is no such mix is left as it is and the journal set aside;
//   - a journal that fails its own checksum never changes the file, and one without the
//     journal's magic is not touched.
// Ground truth comes from the input, never from the journal's parser.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

#include "platform/File.h"
#include "platform/FileSeam.h"
#include "regfile/Checksum.h"
#include "regfile/Journal.h"

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "journal fuzzer: %s\n", what);
        std::abort();
    }
}

void RemoveFixture();

// Never destroyed: RemoveFixture runs at exit.
const std::string& FilePath() {
    static const std::string* path = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        auto* made = new std::string(std::string(base) + "/journal-fuzz-" +
                                     std::to_string(getpid()) + ".reg");
        std::atexit(RemoveFixture);
        return made;
    }();
    return *path;
}

std::string JournalPath() {
    return regfile::JournalPath(FilePath());
}

std::string AsidePath() {
    return JournalPath() + ".stale-1";
}

void RemoveFixture() {
    ::unlink(FilePath().c_str());
    ::unlink(JournalPath().c_str());
    ::unlink(AsidePath().c_str());
}

void WriteWhole(const std::string& path, std::string_view bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    Require(fd >= 0, "cannot create a fixture file");
    for (std::size_t done = 0; done < bytes.size();) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        Require(n > 0, "cannot write a fixture file");
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

// The file's bytes, or nullopt-like "missing" flagged by `exists`.
std::string ReadWhole(const std::string& path, bool& exists) {
    std::string bytes;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    exists = fd >= 0;
    if (!exists) {
        return bytes;
    }
    char chunk[4096];
    for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;) {
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

std::string ReadWhole(const std::string& path) {
    bool exists = false;
    std::string bytes = ReadWhole(path, exists);
    Require(exists, "a file is missing");
    return bytes;
}

// Stops a commit at its first change of the file (a write, or the length set when it only
// shortens), once its journal is synced, and keeps the journal's bytes.
class StopAtFirstWrite : public platform::FaultHook {
public:
    int BeforeCall(platform::FileCall call, std::string_view path) override {
        const bool changes =
            call == platform::FileCall::Write || call == platform::FileCall::SetLength;
        if (!changes || path != FilePath()) {
            return 0;
        }
        bool exists = false;
        Journal = ReadWhole(JournalPath(), exists);
        Stopped = true;
        return EIO;
    }
    std::string Journal;
    bool Stopped = false;
};

// The journal of a commit of `before` into `after`, as it stands when the file is first
// changed; empty when the commit changes nothing.
std::string JournalOf(std::string_view before, std::string_view after) {
    WriteWhole(FilePath(), before);
    platform::File file;
    platform::FileErrorInfo info;
    Require(file.Open(FilePath(), info) == 0, "cannot open the file for the commit");
    StopAtFirstWrite hook;
    platform::FaultHook* previous = platform::SetFaultHook(&hook);
    try {
        regfile::CommitChange(file, before, after);
    } catch (const platform::FileError& error) {
        Require(error.Code() == EIO, "the commit failed before it changed the file");
    }
    platform::SetFaultHook(previous);
    file.Close();
    Require(ReadWhole(FilePath()) == before, "a stopped commit left the file changed");
    Require(hook.Stopped || before == after, "a change was committed without changing the file");
    return hook.Journal;
}

// A file as a cut commit may leave it: each byte its old or its new one (or zero where the
// file grew), a length between the two.
bool IsMix(std::string_view file, std::string_view before, std::string_view after) {
    const std::size_t size = file.size();
    const bool lengthFits = after.size() > before.size()
                                ? size >= before.size() && size <= after.size()
                                : size == before.size() || size == after.size();
    if (!lengthFits) {
        return false;
    }
    for (std::size_t i = 0; i < size; ++i) {
        const bool isOld = i < before.size() && file[i] == before[i];
        const bool isNew = i < after.size() && file[i] == after[i];
        const bool isHole = i >= before.size() && file[i] == 0;
        if (!isOld && !isNew && !isHole) {
            return false;
        }
    }
    return true;
}

struct Outcome {
    std::string File;
    std::string Notice;
    bool JournalLeft = false;
    std::string Journal;
    bool SetAside = false;
};

Outcome Recover() {
    platform::File file;
    platform::FileErrorInfo info;
    Require(file.Open(FilePath(), info) == 0, "cannot open the file for recovery");
    Outcome outcome;
    const int code = regfile::RecoverFromJournal(file, info, outcome.Notice);
    Require(code == 0, "recovery failed on a readable journal");
    file.Close();
    outcome.File = ReadWhole(FilePath());
    outcome.Journal = ReadWhole(JournalPath(), outcome.JournalLeft);
    bool aside = false;
    ReadWhole(AsidePath(), aside);
    outcome.SetAside = aside;
    return outcome;
}

void FuzzCommit(FuzzedDataProvider& data) {
    std::string before = data.ConsumeRandomLengthString(4096);
    std::string after = before;
    const std::size_t at = data.ConsumeIntegralInRange<std::size_t>(0, after.size());
    const std::size_t cut = data.ConsumeIntegralInRange<std::size_t>(0, after.size() - at);
    after.replace(at, cut, data.ConsumeRandomLengthString(512));
    const std::string journal = JournalOf(before, after);
    if (before == after) {
        Require(journal.empty(), "an unchanged content got a journal");
        return;
    }

    // The file: a mix of the two contents, at a length between them.
    const std::size_t lower = std::min(before.size(), after.size());
    const std::size_t upper = std::max(before.size(), after.size());
    std::string file;
    const std::size_t size = data.ConsumeBool()
                                 ? data.ConsumeIntegralInRange<std::size_t>(lower, upper)
                                 : (data.ConsumeBool() ? before.size() : after.size());
    const auto choice = data.ConsumeIntegral<std::uint64_t>();
    for (std::size_t i = 0; i < size; ++i) {
        const bool takeNew = ((choice >> (i % 64)) & 1) != 0;
        const std::string& from =
            (takeNew && i < after.size()) || i >= before.size() ? after : before;
        file += i < from.size() ? from[i] : '\0';
    }
    // Sometimes edited further, or its journal changed.
    std::string written = journal;
    const int damage = data.ConsumeIntegralInRange(0, 3);
    if (damage == 1 && !file.empty()) {
        file[data.ConsumeIntegralInRange<std::size_t>(0, file.size() - 1)] =
            static_cast<char>(data.ConsumeIntegral<std::uint8_t>());
    } else if (damage == 2) {
        file += data.ConsumeRandomLengthString(16);
    } else if (damage == 3 && !written.empty()) {
        const std::size_t where = data.ConsumeIntegralInRange<std::size_t>(0, written.size() - 1);
        written[where] = static_cast<char>(written[where] ^ data.ConsumeIntegralInRange(1, 255));
    }
    WriteWhole(FilePath(), file);
    WriteWhole(JournalPath(), written);
    ::unlink(AsidePath().c_str());

    const Outcome outcome = Recover();
    if (written != journal) {
        Require(outcome.File == file, "a journal failing its checksum changed the file");
        return;
    }
    if (IsMix(file, before, after)) {
        Require(outcome.File == (file == after ? after : before),
                "a cut commit was not put back to its old content");
        Require(!outcome.JournalLeft && !outcome.SetAside, "an applied journal stayed");
        Require(outcome.Notice.empty(), "an applied journal was reported as not fitting");
        return;
    }
    Require(outcome.File == file, "a file edited after the cut was changed");
    Require(!outcome.JournalLeft && outcome.SetAside, "a journal that does not fit stayed");
    Require(ReadWhole(AsidePath()) == journal, "the set-aside journal differs");
    Require(!outcome.Notice.empty(), "a journal that does not fit was not reported");
}

void FuzzRaw(FuzzedDataProvider& data) {
    const std::string journal = data.ConsumeRandomLengthString(8192);
    const std::string file = data.ConsumeRemainingBytesAsString();
    WriteWhole(FilePath(), file);
    WriteWhole(JournalPath(), journal);
    ::unlink(AsidePath().c_str());
    const Outcome outcome = Recover();
    // A journal the commit wrote ends with the checksum of everything ahead of it.
    bool sealed = false;
    if (journal.size() >= 8) {
        std::uint64_t trailer = 0;
        for (int i = 7; i >= 0; --i) {
            trailer =
                (trailer << 8) | static_cast<std::uint8_t>(
                                     journal[journal.size() - 8 + static_cast<std::size_t>(i)]);
        }
        sealed =
            trailer == regfile::ChecksumOf(std::string_view(journal).substr(0, journal.size() - 8));
    }
    if (!sealed) {
        Require(outcome.File == file, "an unsealed journal changed the file");
        Require(!outcome.SetAside, "an unsealed journal was set aside");
    }
    if (!journal.empty() && !journal.starts_with("REGUNDO5")) {
        Require(outcome.JournalLeft && outcome.Journal == journal,
                "a foreign file at the journal's name was touched");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    if (data.ConsumeIntegral<std::uint8_t>() % 2 == 0) {
        FuzzCommit(data);
    } else {
        FuzzRaw(data);
    }
    RemoveFixture();
    return 0;
}
