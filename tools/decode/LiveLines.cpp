#include "LiveLines.h"

#include <cstdio>

namespace zorvane {

void LiveLines::Port(ReconnectingPort::Change change, const std::string& device,
                     const Moment& /*at*/, std::string& /*out*/) {
    if (change == ReconnectingPort::Change::Lost)
        std::fprintf(stderr, "zorvane-decode: %s is gone; waiting for it\n", device.c_str());
    else
        std::fprintf(stderr, "zorvane-decode: %s is back\n", device.c_str());
}

}  // namespace zorvane
