#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zorvane {

// The lines of a text read from a descriptor, ending in LF, CR LF or a lone CR, as editors
// take them.
class TextLines {
  public:
    explicit TextLines(int fd) : fd_(fd) {}

    struct Line {
        std::string_view text;  // without its line end; valid until the next call
        bool ended = true;      // false: the text stopped inside it, or it was too long
    };
    // Nothing at the end, or when reading fails (Error() then says why).
    std::optional<Line> Next();
    // The first line, left to be read again by Next(); only before Next() was called.
    std::optional<Line> Peek();
    int Error() const { return error_; }

    // A longer line is no line of ours: it is given in pieces of this size, none ended.
    static constexpr std::size_t kLongest = 1 << 20;

  private:
    bool Fill();

    int fd_;
    std::string buffer_;
    std::size_t start_ = 0;  // of the next line
    bool end_ = false;
    int error_ = 0;
};

}  // namespace zorvane
