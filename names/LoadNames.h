#pragma once

#include <string>

namespace zorvane {

// Holder of the 64 lamp captions, indexed by label number 1..64.
class CaptionSink {
  public:
    virtual ~CaptionSink() = default;
    // `caption` is UTF-8 and may still end in CR/LF (they show nothing; strip them for display).
    virtual void SetCaption(int label, const std::string& caption) = 0;
};

// Reads the names text (up to 5000 bytes) from an open file descriptor and sets the captions.
// Only labels that receive a name are set; a blank line gives a caption of its line end alone.
void LoadNames(int fd, CaptionSink& sink);

// Opens `path`, loads the names into `sink` and closes it. Returns false, setting nothing, when
// the file cannot be opened: missing, unreadable, or not a regular file (a FIFO or device never
// blocks it).
bool LoadNamesFile(const std::string& path, CaptionSink& sink);

}  // namespace zorvane
