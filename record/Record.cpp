#include "Record.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "DailyFiles.h"
#include "LocalTime.h"

namespace zorvane {

namespace {

using Clock = std::chrono::system_clock;

constexpr std::chrono::seconds kWriteInterval{1};

struct Entry {
    enum class Kind : std::uint8_t { Frame, Event };
    Kind kind;
    ChangeLog::Event event;
    Frame frame;
    Clock::time_point at;
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

// Text for the file of one day.
struct Chunk {
    std::string date;
    std::string text;
};

}  // namespace

struct Record::Shared {
    Shared(RecordSettings settings, LampCaptions captions, StatusListener listener)
        : heldLines(settings.heldLines),
          onStatus(std::move(listener)),
          files(std::move(settings.folder), settings.sizeLimit),
          log(std::move(captions)) {}

    // Callers' side, under `mutex`.
    void Hand(const Entry& entry);
    bool Full() const { return queue.size() >= heldLines; }

    // The writer thread's steps.
    void Run(std::stop_token stop);
    std::uint64_t Wait(std::stop_token stop);
    void Take();
    std::string& TextFor(const std::string& when);
    void WritePending();
    void Report(RecordStatus now);
    void Settle(std::uint64_t flushAsked);

    const std::size_t heldLines;

    mutable std::mutex mutex;
    std::condition_variable_any wake;  // the writer waits on it
    std::condition_variable settledChanged;
    std::vector<Entry> queue;
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
    DailyFiles files;
    ChangeLog log;
    std::vector<Entry> taken;
    std::vector<Chunk> pending;  // formatted, not yet in a file
    std::uint64_t takenUpTo = 0;
};

void Record::Shared::Hand(const Entry& entry) {
    ++handed;
    if (!Full()) {
        queue.push_back(entry);
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
        // What a failed write left goes first: it is older than anything queued since.
        WritePending();
        if (pending.empty()) {
            Take();
            if (stopping) {
                const std::string when = LocalTime(Clock::now());
                AppendRecordEnd(when, TextFor(when));
            }
            WritePending();
        }
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

void Record::Shared::Take() {
    Dropped lost;
    {
        std::lock_guard lock(mutex);
        taken.swap(queue);
        lost = std::exchange(dropped, {});
        takenUpTo = handed;
    }
    for (const Entry& entry : taken) {
        const std::string when = LocalTime(entry.at);
        if (entry.kind == Entry::Kind::Frame)
            log.AddFrame(when, entry.frame, TextFor(when));
        else
            log.AddEvent(when, entry.event, TextFor(when));
    }
    taken.clear();
    // Dropped lines came after every held one and before anything handed over since.
    if (lost.count == 0) return;
    const std::string from = LocalTime(lost.first);
    AppendRecordGap(from, LocalTime(lost.last), lost.count, TextFor(from));
}

std::string& Record::Shared::TextFor(const std::string& when) {
    const std::string date = when.substr(0, 10);
    if (pending.empty() || pending.back().date != date) pending.push_back({date, {}});
    return pending.back().text;
}

void Record::Shared::WritePending() {
    while (!pending.empty()) {
        Chunk& chunk = pending.front();
        const DailyFiles::Result result = files.Append(chunk.date, chunk.text);
        chunk.text.erase(0, result.written);
        if (result.error) return Report({false, result.error, result.path.string(), 0});
        pending.erase(pending.begin());
    }
    Report({});
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
    const std::string when = LocalTime(Clock::now());
    AppendRecordStart(when, run, shared_->TextFor(when));
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
    s.Hand({Entry::Kind::Frame, {}, frame, at});
}

void Record::AddEvent(ChangeLog::Event event, Clock::time_point at) {
    std::lock_guard lock(shared_->mutex);
    shared_->Hand({Entry::Kind::Event, event, {}, at});
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
