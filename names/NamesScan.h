#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "TextDecoding.h"

namespace zorvane {

inline constexpr int kInputNames = 40;   // Label1..Label40
inline constexpr int kOutputNames = 24;  // Label41..Label64

// A name that lost visible characters to the 12-character cut.
struct CutName {
    int lamp;  // the lamp it stands beside
    int line;
};

// The names found in a names text, and what a person writing the file may want to know.
// Line numbers count the file's lines from 1, as an editor shows them.
struct NamesScan {
    // Index label-1; empty for a label that gets no name. UTF-8, CR/LF retained.
    std::array<std::optional<std::string>, kInputNames + kOutputNames> captions;
    TextEncoding encoding = TextEncoding::kWindows1250;
    int inputsMarkerLine = 0;   // 0: no inputs marker
    int outputsMarkerLine = 0;  // 0: no outputs marker
    std::vector<CutName> cutNames;
    std::vector<int> longLines;           // lines over 250 bytes, line end included
    std::vector<int> ignoredInputLines;   // non-blank lines after the 40th input name
    std::vector<int> ignoredOutputLines;  // non-blank lines after the 24th output name
};

// The lamp beside which the window shows name n (1..64): the 25th input name stands beside
// lamp 26 and the 26th beside lamp 25, as names files were written for; every other name beside
// its own lamp. The mapping is its own inverse: it also gives the name beside a lamp.
constexpr int LampBesideName(int n) {
    return n == 25 ? 26 : n == 26 ? 25 : n;
}

// What the window shows beside each lamp (index lamp-1), line ends dropped; empty for a lamp
// without a name.
using LampCaptions = std::array<std::string, kInputNames + kOutputNames>;
LampCaptions CaptionsBesideLamps(const NamesScan& scan);

// Finds the markers and names in `text`, the file's text as read (see NamesFile.h).
// `cutByReadLimit`: the read limit, not the file, ended the text, so it may split a character.
NamesScan ScanNames(std::string_view text, bool cutByReadLimit);

}  // namespace zorvane
