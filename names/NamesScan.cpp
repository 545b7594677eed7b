#include "NamesScan.h"

#include <algorithm>
#include <cstddef>

namespace zorvane {

namespace {

constexpr std::size_t kLineLimit = 250;  // bytes of one line, line end included
// Characters of one caption, line end included: bytes in the Windows-1250 files it was made for.
constexpr std::size_t kCaptionLimit = 12;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// True when `line` begins with `keyword` (exact bytes) and ends there or goes on with a space,
// CR or LF.
bool MatchKeyword(std::string_view line, std::string_view keyword) {
    if (!line.starts_with(keyword)) return false;
    if (line.size() == keyword.size()) return true;
    const char next = line[keyword.size()];
    // LF too: files written on Linux end their marker lines with a bare LF.
    return next == ' ' || next == '\r' || next == '\n';
}

bool IsInputsMarker(std::string_view line) {
    return MatchKeyword(line, "IN") || MatchKeyword(line, "In");
}

bool IsOutputsMarker(std::string_view line) {
    return MatchKeyword(line, "OUT") || MatchKeyword(line, "Out");
}

bool IsBlank(std::string_view line) {
    return line.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Moves the next line (through its LF, at most 250 bytes) off the front of `text` into `line`;
// false when `text` is empty.
bool ReadLine(std::string_view& text, std::string_view& line) {
    const std::size_t lf = text.find('\n');
    const std::size_t n = std::min(lf == std::string_view::npos ? text.size() : lf + 1, kLineLimit);
    line = text.substr(0, n);
    text.remove_prefix(n);
    return n > 0;
}

// Hands out the text's lines and keeps count of the file's lines they belong to.
class LineCursor {
  public:
    LineCursor(std::string_view text, NamesScan& scan) : rest_(text), scan_(scan) {}

    bool Next() {
        if (!ReadLine(rest_, line_)) return false;
        if (lineEnded_) ++lineNo_;
        lineEnded_ = line_.back() == '\n';
        if (!lineEnded_ && line_.size() == kLineLimit && !rest_.empty()) NoteLongLine();
        return true;
    }
    std::string_view line() const { return line_; }
    int lineNo() const { return lineNo_; }

  private:
    void NoteLongLine() {
        auto& lines = scan_.longLines;
        if (lines.empty() || lines.back() != lineNo_) lines.push_back(lineNo_);
    }

    std::string_view rest_;
    std::string_view line_;
    NamesScan& scan_;
    int lineNo_ = 0;         // the file's line that line_ is (a piece of)
    bool lineEnded_ = true;  // the piece before ended its line
};

void SetName(NamesScan& scan, int label, const LineCursor& lines) {
    const std::string_view line = lines.line();
    const std::size_t cut = CharacterPrefix(line, kCaptionLimit, scan.encoding);
    scan.captions[label - 1] = DecodeCaption(line.substr(0, cut), scan.encoding);
    // Only bytes of the name count as lost, not its line end.
    if (line.find_first_not_of("\r\n", cut) != std::string_view::npos)
        scan.cutNames.push_back({LampBesideName(label), lines.lineNo()});
}

void NoteIgnored(std::vector<int>& ignored, const LineCursor& lines) {
    if (!IsBlank(lines.line())) ignored.push_back(lines.lineNo());
}

// Each step finds the lines it reads exhausted when the one before found no marker.
void FindInputsMarker(LineCursor& lines, NamesScan& scan) {
    while (lines.Next()) {
        if (IsInputsMarker(lines.line())) {
            scan.inputsMarkerLine = lines.lineNo();
            return;
        }
    }
}

void ReadInputNames(LineCursor& lines, NamesScan& scan) {
    for (int k = 1; lines.Next(); ++k) {
        if (IsOutputsMarker(lines.line())) {
            scan.outputsMarkerLine = lines.lineNo();
            return;
        }
        if (k <= kInputNames) {
            SetName(scan, k, lines);
        } else {
            NoteIgnored(scan.ignoredInputLines, lines);
        }
    }
}

void ReadOutputNames(LineCursor& lines, NamesScan& scan) {
    for (int k = 1; lines.Next(); ++k) {
        if (k <= kOutputNames) {
            SetName(scan, kInputNames + k, lines);
        } else {
            // The loader stops after the 24th; the rest is read only to tell about it.
            NoteIgnored(scan.ignoredOutputLines, lines);
        }
    }
}

}  // namespace

LampCaptions CaptionsBesideLamps(const NamesScan& scan) {
    LampCaptions captions;
    for (int lamp = 1; lamp <= kInputNames + kOutputNames; ++lamp) {
        const auto& name = scan.captions[LampBesideName(lamp) - 1];
        if (!name) continue;
        for (const char c : *name)
            if (c != '\r' && c != '\n') captions[lamp - 1] += c;
    }
    return captions;
}

NamesScan ScanNames(std::string_view text, bool cutByReadLimit) {
    NamesScan scan;
    scan.encoding = DetectEncoding(text, cutByReadLimit);
    // The mark still counted toward the 5000 bytes; it must not hide an inputs marker.
    if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
    LineCursor lines(text, scan);
    FindInputsMarker(lines, scan);
    ReadInputNames(lines, scan);
    ReadOutputNames(lines, scan);
    return scan;
}

}  // namespace zorvane
