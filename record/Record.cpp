#include "Record.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "LocalTime.h"
#include "RecordParts.h"

namespace zorvane {

namespace {

using Clock = std::chrono::system_clock;

constexpr std::chrono::seconds kWriteInterval{1};
// Entries formatted at a time: held lines stay compact, and text waiting for a disk stays small.
constexpr std::size_t kBatch = 1024;

// A frame or an event handed over, as it is held until written: a few dozen bytes.
struct Entry {
    Clock::time_point at;
    Frame frame;
    ChangeLog::Event event;
    enum class What : std::uint8_t { Frame, Event, Health } what;  // a health's counts wait apart
};

// Lines handed over that could not be held.
struct Dropped {
    std::uint64_t count = 0;
    Clock::time_point first;
    Clock::time_point last;

    void Note(Clock::time_point at) {
        if (count++ == 0) first = at;
        last = at;
    }
};

// Text for the part of one hour.
struct Chunk {
    Clock::time_point hour;
    std::string text;
};

}  // namespace

struct Record::Shared {
    Shared(RecordSettings settings, LampCaptions captions, StatusListener listener)
        : heldLines(settings.heldLines),
          folder(settings.folder.string()),
          onStatus(std::move(listener)),
          files(std::move(settings.folder), settings.sizeLimit, settings.ownFolder),
          log(std::move(captions)) {}

    // Callers' side, under `mutex`.
    void Hand(const Entry& entry, const LineHealth* health = nullptr);
    bool Full() const { return held.size() >= heldLines; }

    // The writer thread's steps.
    void Run(std::stop_token stop);
    std::uint64_t Wait(std::stop_token stop);
    void WriteAll(bool stopping);
    bool TakeBatch();
    std::string& TextFor(Clock::time_point at);
    bool WritePending();
    void Report(RecordStatus now);
    std::string SharedFolder() const { return files.FolderShared() ? folder : std::string(); }
    void Settle(std::uint64_t flushAsked);

    const std::size_t heldLines;
    const std::string folder;

    mutable std::mutex mutex;
    std::condition_variable_any wake;  // the writer waits on it
    std::condition_variable settledChanged;
    std::deque<Entry> held;
    std::deque<LineHealth> heldHealth;  // the counts of the held Health entries, in order
    Dropped dropped;
    std::optional<Frame> lastFrame;
    bool resync = false;        // lines were dropped: the next frame goes in even when unchanged
    std::uint64_t handed = 0;   // entries handed over, held or dropped
    std::uint64_t settled = 0;  // of those, written or noted as lost
    std::uint64_t flushAsked = 0;
    std::uint64_t flushDone = 0;
    bool ended = false;
    RecordStatus status;

    std::mutex listenerMutex;  // so the owner can let go of the listener while the writer runs
    StatusListener onStatus;

    // The writer thread's alone.
    RecordParts files;
    ChangeLog log;
    std::vector<Entry> batch;
    std::vector<LineHealth> batchHealth;
    std::vector<Chunk> pending;  // formatted, not yet in a file
    std::uint64_t takenUpTo = 0;
};

void Record::Shared::Hand(const Entry& entry, const LineHealth* health) {
    ++handed;
    if (!Full()) {
        held.push_back(entry);
        if (health) heldHealth.push_back(*health);
        resync = false;
        return;
    }
    dropped.Note(entry.at);
    resync = true;
}

void Record::Shared::Run(std::stop_token stop) {
    for (;;) {
        const std::uint64_t asked = Wait(stop);
        const bool stopping = stop.stop_requested();
        WriteAll(stopping);
        if (asked != flushDone || stopping) files.Sync();
        Settle(asked);
        if (stopping) break;
    }
    files.Close();
    std::lock_guard lock(mutex);
    ended = true;
    settledChanged.notify_all();
}

// Until the next write is due, a flush is asked for or the owner stops: the flushes asked so far.
std::uint64_t Record::Shared::Wait(std::stop_token stop) {
    std::unique_lock lock(mutex);
    wake.wait_for(lock, stop, kWriteInterval, [&] { return flushAsked != flushDone; });
    return flushAsked;
}

// What a failed write left goes first: it is older than anything held since. Then the held
// lines, a batch at a time, until none is left or the disk refuses.
void Record::Shared::WriteAll(bool stopping) {
    do {
        if (!WritePending()) return;
    } while (TakeBatch());
    if (!stopping) return;
    const Clock::time_point now = Clock::now();
    AppendRecordEnd(LocalTime(now), TextFor(now));
    (void)WritePending();  // told like any other failure
}

// Formats the next batch of held lines, and the lines dropped once none is held any more;
// false when there was nothing.
bool Record::Shared::TakeBatch() {
    Dropped lost;
    {
        std::lock_guard lock(mutex);
        const std::size_t n = std::min(kBatch, held.size());
        batch.assign(held.begin(), held.begin() + std::ptrdiff_t(n));
        held.erase(held.begin(), held.begin() + std::ptrdiff_t(n));
        const auto healths = std::ranges::count(batch, Entry::What::Health, &Entry::what);
        batchHealth.assign(heldHealth.begin(), heldHealth.begin() + healths);
        heldHealth.erase(heldHealth.begin(), heldHealth.begin() + healths);
        if (held.empty()) {
            lost = std::exchange(dropped, {});
            takenUpTo = handed;
        }
    }
    auto health = batchHealth.begin();
    for (const Entry& entry : batch) {
        const std::string when = LocalTime(entry.at);
        if (entry.what == Entry::What::Frame)
            log.AddFrame(when, entry.frame, TextFor(entry.at));
        else if (entry.what == Entry::What::Event)
            log.AddEvent(when, entry.event, TextFor(entry.at));
        else
            AppendLineHealth(when, *health++, TextFor(entry.at));
    }
    // Dropped lines came after every held one and before anything handed over since.
    if (lost.count > 0)
        AppendRecordGap(LocalTime(lost.first), LocalTime(lost.last), lost.count,
                        TextFor(lost.first));
    return !batch.empty() || lost.count > 0;
}

std::string& Record::Shared::TextFor(Clock::time_point at) {
    const auto hour = std::chrono::floor<std::chrono::hours>(at);
    if (pending.empty() || pending.back().hour != hour) pending.push_back({hour, {}});
    return pending.back().text;
}

bool Record::Shared::WritePending() {
    while (!pending.empty()) {
        Chunk& chunk = pending.front();
        const RecordParts::Result result = files.Append(chunk.hour, chunk.text);
        chunk.text.erase(0, result.written);
        if (result.error) {
            Report({false, result.error, result.path.string(), 0, SharedFolder()});
            return false;
        }
        pending.erase(pending.begin());
    }
    Report({true, 0, {}, 0, SharedFolder()});
    return true;
}

void Record::Shared::Report(RecordStatus now) {
    {
        std::lock_guard lock(mutex);
        if (now == status) return;
        status = now;
    }
    std::lock_guard lock(listenerMutex);
    if (onStatus) onStatus(now);
}

void Record::Shared::Settle(std::uint64_t asked) {
    std::lock_guard lock(mutex);
    if (pending.empty()) settled = takenUpTo;
    flushDone = asked;
    settledChanged.notify_all();
}

Record::Record(RecordSettings settings, const RunInfo& run, LampCaptions captions,
               StatusListener onStatus)
    : shared_(
          std::make_shared<Shared>(std::move(settings), std::move(captions), std::move(onStatus))) {
    const Clock::time_point now = Clock::now();
    AppendRecordStart(LocalTime(now), run, shared_->TextFor(now));
    // The thread holds a share of what it uses, so it may outlive this object (see ~Record).
    writer_ = std::jthread([shared = shared_](std::stop_token stop) { shared->Run(stop); });
}

Record::~Record() {
    {
        std::lock_guard lock(shared_->listenerMutex);
        shared_->onStatus = nullptr;  // whoever listened may be gone before the writer
    }
    writer_.request_stop();
    std::unique_lock lock(shared_->mutex);
    const bool ended =
        shared_->settledChanged.wait_for(lock, kCloseLimit, [&] { return shared_->ended; });
    lock.unlock();
    // A disk that hangs for good must not hang the program's end: the writer finishes alone.
    if (!ended) writer_.detach();
}

void Record::AddFrame(const Frame& frame, Clock::time_point at) {
    Shared& s = *shared_;
    std::lock_guard lock(s.mutex);
    // An unchanged frame makes no line, except the first that fits after lines were dropped.
    if (s.lastFrame == frame && !(s.resync && !s.Full())) return;
    s.lastFrame = frame;
    s.Hand({at, frame, {}, Entry::What::Frame});
}

void Record::AddEvent(ChangeLog::Event event, Clock::time_point at) {
    std::lock_guard lock(shared_->mutex);
    shared_->Hand({at, {}, event, Entry::What::Event});
}

void Record::AddHealth(const LineHealth& health, Clock::time_point at) {
    std::lock_guard lock(shared_->mutex);
    shared_->Hand({at, {}, {}, Entry::What::Health}, &health);
}

bool Record::Flush(std::chrono::milliseconds limit) {
    Shared& s = *shared_;
    std::unique_lock lock(s.mutex);
    const std::uint64_t target = s.handed;
    const std::uint64_t ticket = ++s.flushAsked;
    s.wake.notify_one();
    const bool done = s.settledChanged.wait_for(
        lock, limit, [&] { return s.settled >= target && s.flushDone >= ticket; });
    return done && s.status.writing;
}

RecordStatus Record::Status() const {
    std::lock_guard lock(shared_->mutex);
    RecordStatus now = shared_->status;
    now.linesLost = shared_->dropped.count;
    return now;
}

}  // namespace zorvane
