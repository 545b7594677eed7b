#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

namespace zorvane::bench {

// A private X server (Xvfb, one 1024x768 screen at 24 bits) for as long as this lives; it
// picks a free display number itself.
class XvfbServer {
  public:
    // Null, with `error` set, when Xvfb cannot be started.
    static std::unique_ptr<XvfbServer> Start(std::string& error);
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    const std::string& Display() const { return display_; }
    pid_t Pid() const { return pid_; }

  private:
    XvfbServer(pid_t pid, std::string display) : pid_(pid), display_(std::move(display)) {}

    pid_t pid_;
    std::string display_;
};

}  // namespace zorvane::bench
