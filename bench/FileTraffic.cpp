#include "bench/FileTraffic.h"

namespace bench {

FileTraffic::FileTraffic() : previous_(platform::SetFaultHook(this)) {}

FileTraffic::~FileTraffic() {
    platform::SetFaultHook(previous_);
}

bool FileTraffic::IsJournalPath(std::string_view path) {
    return path.ends_with(".undo");
}

void FileTraffic::Start() {
    totals_ = {};
    mark_ = platform::Counters();
    lastWasJournal_ = false;
}

TrafficTotals FileTraffic::Stop() {
    Attribute();
    return totals_;
}

void FileTraffic::Attribute() {
    const platform::FileCounters& now = platform::Counters();
    const std::uint64_t read = now.BytesRead - mark_.BytesRead;
    const std::uint64_t written = now.BytesWritten - mark_.BytesWritten;
    totals_.Calls += now.Calls - mark_.Calls;
    if (lastWasJournal_) {
        totals_.JournalRead += read;
        totals_.JournalWritten += written;
    } else {
        totals_.BytesRead += read;
        totals_.InPlaceWritten += written;
    }
    mark_ = now;
}

int FileTraffic::BeforeCall(platform::FileCall call, std::string_view path) {
    Attribute();
    // This call itself was counted before the hook was asked; Attribute took it.
    lastWasJournal_ = IsJournalPath(path);
    if (call == platform::FileCall::Open && !lastWasJournal_)
        ++totals_.Opens;
    if (call == platform::FileCall::Sync)
        ++totals_.Syncs;
    return previous_ ? previous_->BeforeCall(call, path) : 0;
}

} // namespace bench
