#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "LogLine.h"
#include "TextLines.h"

namespace zorvane {

// A change log that --from-log reads.
struct LogFile {
    std::string path;  // "-": standard input
    // The time of its first line that has one: where it goes among the others.
    std::optional<std::chrono::system_clock::time_point> first;
};

// The logs that `paths` name: files, "-" for standard input, and folders, of which the record's
// parts and day files are read. Each file once, in time order. False, said on standard error,
// when a path cannot be read.
bool FindLogs(const std::vector<std::string>& paths, std::vector<LogFile>& logs);

// The first run that the first of `logs` tells of with a record-start line; `input` reads
// standard input, of which only the first line is peeked at, and left to be read.
std::optional<RunInfo> FirstRun(const std::vector<LogFile>& logs, TextLines& input);

}  // namespace zorvane
