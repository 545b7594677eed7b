#pragma once

#include <termios.h>

#include <memory>

#include "FrameWriter.h"
#include "Output.h"
#include "UniqueFd.h"

namespace zorvane::sim {

// An existing serial device (a real adapter), set to the Vorlan's line settings while we
// send and put back as it was afterwards.
class DeviceOutput : public Output {
  public:
    static std::unique_ptr<DeviceOutput> Open(const std::string& path, std::string& error);
    ~DeviceOutput() override;

    SendResult Send(std::span<const std::uint8_t> bytes, Nanos deadline) override;
    std::string Describe() const override { return "writing to " + path_ + " (57600 8O1)"; }

  private:
    DeviceOutput(UniqueFd fd, std::string path, const termios& saved)
        : fd_(std::move(fd)), path_(std::move(path)), saved_(saved), writer_(fd_.Get()) {}

    UniqueFd fd_;
    std::string path_;
    termios saved_;
    FrameWriter writer_;
};

}  // namespace zorvane::sim
