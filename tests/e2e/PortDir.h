#pragma once

#include <string>

namespace zorvane::e2e {

// A fresh temporary directory that the program runs in. It holds COM1..COM4 as links from the
// start, each dangling until pointed somewhere, so the program never looks past it for a port.
class PortDir {
  public:
    PortDir();
    ~PortDir();
    PortDir(const PortDir&) = delete;
    PortDir& operator=(const PortDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // Points COMn at `target` (a device path, or a name inside this directory).
    bool Link(int port, const std::string& target) const;
    bool Write(const std::string& name, const std::string& bytes) const;

  private:
    std::string path_;
};

// A names.ini in Windows-1250 with CR LF ends: input name k reads "Vstup k", output name k
// "Výstup 40+k"; the 25th input name is blank and the 26th reads "Čidlo 26", so only one of the
// two swapped labels (Label26, beside Shape25) shows text.
std::string SampleNames();

}  // namespace zorvane::e2e
