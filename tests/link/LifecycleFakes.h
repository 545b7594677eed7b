#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Frame.h"
#include "FrameEncoder.h"
#include "PortHost.h"
#include "PortOpener.h"
#include "TRead.h"

namespace zorvane::test {

// The main window as the lifecycle sees it: records what it is told.
class FakeHost : public PortHost {
  public:
    void SetPortSelectPending(bool pending) override {
        log.push_back(pending ? "pending=1" : "pending=0");
    }
    void RestartTimer1() override { log.push_back("restart"); }
    void ShowFrame(const TRead& reader) override {
        ++frames;
        lastFrame = reader.FrameBuffer();
        if (closing) ++framesAfterClose;
    }
    QWidget* DialogParent() override { return nullptr; }

    std::vector<std::string> log;
    int frames = 0;
    Frame lastFrame{};
    bool closing = false;  // set by a test just before the close procedure
    int framesAfterClose = 0;
};

// What a fake port saw; outlives the port.
struct FakePortRecord {
    std::atomic<int> reading{0};
    std::atomic<bool> closed{false};
    std::atomic<bool> closedUnderRead{false};
};

// A port that repeats one wire frame forever, or stays silent when given none.
class FakePort : public ByteSource {
  public:
    FakePort(std::shared_ptr<FakePortRecord> record, std::vector<std::uint8_t> stream)
        : record_(std::move(record)), stream_(std::move(stream)) {}
    ~FakePort() override {
        if (record_->reading > 0) record_->closedUnderRead = true;
        record_->closed = true;
    }
    bool ReadByte(std::uint8_t& out) override {
        ++record_->reading;
        // Long enough that a port closed under a running reader is caught mid-read.
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        const bool got = !stream_.empty();
        if (got) out = stream_[next_++ % stream_.size()];
        --record_->reading;
        return got;
    }

  private:
    std::shared_ptr<FakePortRecord> record_;
    std::vector<std::uint8_t> stream_;
    std::size_t next_ = 0;
};

// Records the names asked for; fails unless told to hand out fake ports.
class FakeOpener : public PortOpener {
  public:
    PortOpenResult Open(const std::string& portName) override {
        asked.push_back(portName);
        if (!stream) return {nullptr, failure};
        return {std::make_unique<FakePort>(record, *stream), {}};
    }

    std::vector<std::string> asked;
    OpenError failure{PortError::NotFound, "./COM1 -> /dev/gone", 2};
    std::unique_ptr<std::vector<std::uint8_t>> stream;  // set: opening succeeds
    std::shared_ptr<FakePortRecord> record = std::make_shared<FakePortRecord>();
};

inline std::vector<std::uint8_t> WireBytes(const WireFrame& frame) {
    return {frame.begin(), frame.end()};
}

}  // namespace zorvane::test
