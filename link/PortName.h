#pragma once

#include <string>
#include <string_view>

namespace zorvane {

// "COM1".."COM4" for the dialog's choice, 1..4.
std::string PortName(int choice);

// The device a port name stands for: "./COMn" when an entry of that name exists in the current
// directory (as itself: a dangling link counts, and then fails to open), else "/dev/ttyS<n-1>".
// A name that is not COM<n> is taken as a path.
std::string DevicePath(const std::string& portName);

// The path as a user should read it: a symbolic link shows its target ("./COM1 -> /dev/pts/3").
std::string DescribeDevice(const std::string& path, std::string_view arrow = " -> ");

}  // namespace zorvane
