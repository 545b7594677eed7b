#include "TextLines.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace zorvane {

std::optional<TextLines::Line> TextLines::Next() {
    for (;;) {
        const std::size_t stop = buffer_.find_first_of("\r\n", start_);
        // A CR at the end of what came may be the first half of a CR LF.
        const bool whole = stop != std::string::npos &&
                           (stop + 1 < buffer_.size() || end_ || buffer_[stop] == '\n');
        if (whole) {
            const Line line{std::string_view(buffer_).substr(start_, stop - start_), true};
            const bool crlf =
                buffer_[stop] == '\r' && stop + 1 < buffer_.size() && buffer_[stop + 1] == '\n';
            start_ = stop + (crlf ? 2 : 1);
            return line;
        }
        const std::size_t waiting = buffer_.size() - start_;
        if (end_ || waiting >= kLongest) {
            if (waiting == 0) return std::nullopt;
            const std::size_t size = std::min(waiting, kLongest);
            const Line piece{std::string_view(buffer_).substr(start_, size), false};
            start_ += size;
            return piece;
        }
        if (!Fill()) return std::nullopt;
    }
}

std::optional<TextLines::Line> TextLines::Peek() {
    const auto line = Next();
    start_ = 0;  // nothing before the first line was let go of
    return line;
}

bool TextLines::Fill() {
    if (start_ > 0 && start_ * 2 >= buffer_.size()) {  // room for more without growing
        buffer_.erase(0, start_);
        start_ = 0;
    }
    constexpr std::size_t kBlock = 1 << 16;
    const std::size_t had = buffer_.size();
    buffer_.resize(had + kBlock);
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_.data() + had, kBlock);
        if (n < 0 && errno == EINTR) continue;
        buffer_.resize(had + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        if (n < 0) error_ = errno;
        end_ = n <= 0;
        return n >= 0;
    }
}

}  // namespace zorvane
