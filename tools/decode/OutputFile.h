#pragma once

#include <string>
#include <vector>

namespace zorvane {

// A file that standard output goes to, written beside its target and put in the target's place
// only once it is whole, so that a run that fails leaves what was there. A target that exists
// and is not a regular file (a FIFO, a device) is written directly; a link to a file has what it
// names replaced.
class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile();  // an unfinished file goes
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // False, said on standard error, when it cannot be made.
    bool Open(const std::string& target);
    // What was written takes the target's place (at once when written directly); false, said,
    // when it cannot.
    bool Commit();

    // Whether `output` is one of `inputs`: the same path, or the same file by device and inode.
    static bool IsOneOf(const std::string& output, const std::vector<std::string>& inputs);

  private:
    std::string target_;
    std::string beside_;  // the file written, until it took the target's place
};

}  // namespace zorvane
