#pragma once

#include <optional>
#include <string>

namespace zorvane::sim {

// The name a monitor opens (./COM1) as a symbolic link to the served device. It replaces an
// earlier link but never a real file, and it is removed again when this object goes, unless
// someone has pointed it elsewhere meanwhile.
class PortLink {
  public:
    static std::optional<PortLink> Create(const std::string& path, const std::string& target,
                                          std::string& error);
    ~PortLink();
    PortLink(PortLink&& other) noexcept;
    PortLink& operator=(PortLink&&) = delete;
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

  private:
    PortLink(std::string path, std::string target)
        : path_(std::move(path)), target_(std::move(target)) {}

    std::string path_;  // empty once moved from
    std::string target_;
};

}  // namespace zorvane::sim
