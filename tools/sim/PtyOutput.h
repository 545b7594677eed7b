#pragma once

#include <memory>

#include "FrameWriter.h"
#include "Output.h"
#include "PortLink.h"
#include "UniqueFd.h"

namespace zorvane::sim {

// A new pseudo-terminal whose slave side is linked under a port name. Frames go into the
// master; while nobody has the slave open they are dropped, so a monitor that comes later
// gets current frames rather than a backlog.
class PtyOutput : public Output {
  public:
    static std::unique_ptr<PtyOutput> Open(const std::string& linkPath, std::string& error);

    SendResult Send(std::span<const std::uint8_t> bytes, Nanos deadline) override;
    std::string Describe() const override;
    const std::string& device() const { return device_; }

  private:
    PtyOutput(UniqueFd master, std::string device, std::string linkPath, PortLink link)
        : master_(std::move(master)),
          device_(std::move(device)),
          linkPath_(std::move(linkPath)),
          link_(std::move(link)),
          writer_(master_.Get()) {}

    UniqueFd master_;  // declared first: the link goes before the device it names
    std::string device_;
    std::string linkPath_;
    PortLink link_;
    FrameWriter writer_;
};

}  // namespace zorvane::sim
