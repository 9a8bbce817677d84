// Bytes moved by the file layer during one measured operation, split by file: the driver
// file itself ("in place") and the crash-safety journal beside it (a path ending ".undo").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/File.h"
#include "platform/FileSeam.h"

namespace bench {

struct TrafficTotals {
    std::uint64_t BytesRead = 0;
    std::uint64_t InPlaceWritten = 0;
    std::uint64_t JournalWritten = 0;
    std::uint64_t JournalRead = 0;
    std::uint64_t Calls = 0;
    std::uint64_t Opens = 0;
    std::uint64_t Syncs = 0;
};

// The file layer counts bytes after each call and asks its hook before each call, so the
// bytes counted since the previous call belong to the previous call's path.
class FileTraffic : public platform::FaultHook {
public:
    FileTraffic();
    ~FileTraffic() override;
    FileTraffic(const FileTraffic&) = delete;
    FileTraffic& operator=(const FileTraffic&) = delete;

    // Starts a measurement from zero.
    void Start();
    // Ends it: the totals since Start.
    TrafficTotals Stop();

    int BeforeCall(platform::FileCall call, std::string_view path) override;

    static bool IsJournalPath(std::string_view path);

private:
    void Attribute();

    platform::FaultHook* previous_;
    platform::FileCounters mark_;
    bool lastWasJournal_ = false;
    TrafficTotals totals_;
};

} // namespace bench
