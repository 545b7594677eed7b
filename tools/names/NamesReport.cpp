#include "NamesReport.h"

#include <cstdio>
#include <string>
#include <vector>

namespace zorvane {

namespace {

void AppendEscaped(std::string& out, char c) {
    switch (c) {
        case '\t':
            out += "\\t";
            return;
        case '\\':
            out += "\\\\";
            return;
        default:
            break;
    }
    if (static_cast<unsigned char>(c) >= 0x20) {
        out.push_back(c);
        return;
    }
    char hex[5];
    std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned>(c));
    out += hex;
}

std::string EscapeCaption(const std::string& caption) {
    std::string out;
    for (const char c : caption)
        AppendEscaped(out, c);
    return out;
}

void WarnAboutText(const NamesText& text, const NamesScan& scan, std::ostream& out) {
    if (text.zeroByteAt) {
        out << "warning: a zero byte at offset " << *text.zeroByteAt
            << " ends the text; nothing after it is read (a UTF-16 file?)\n";
    }
    if (text.beyondLimit) {
        out << "warning: only the first 5000 bytes are read; the rest of the file is ignored\n";
    }
    for (const int line : scan.longLines) {
        out << "warning: line " << line
            << " is longer than 250 bytes; it is split and takes more than one place\n";
    }
}

void WarnAboutMarkers(const NamesScan& scan, std::ostream& out) {
    if (scan.inputsMarkerLine == 0) {
        out << "warning: no inputs marker (a line IN or In): no names are set\n";
    } else if (scan.outputsMarkerLine == 0) {
        out << "warning: no outputs marker (a line OUT or Out) after the inputs marker: "
               "lamps 41..64 get no names\n";
    }
}

void WarnAboutIgnored(const std::vector<int>& lines, const char* what, std::ostream& out) {
    if (lines.empty()) return;
    out << "warning: " << lines.size() << " line(s) after the " << what
        << " name are ignored, the first at line " << lines.front() << "\n";
}

void WarnAboutNames(const NamesScan& scan, std::ostream& out) {
    for (const CutName& cut : scan.cutNames) {
        out << "warning: line " << cut.line << ": the name beside lamp " << cut.lamp
            << " is cut to 12 characters\n";
    }
    WarnAboutIgnored(scan.ignoredInputLines, "40th input", out);
    WarnAboutIgnored(scan.ignoredOutputLines, "24th output", out);
}

void Remind(const NamesScan& scan, std::ostream& out) {
    if (scan.captions[24] || scan.captions[25]) {
        out << "note: the 25th and 26th input names appear beside lamps 26 and 25\n";
    }
    if (scan.encoding == TextEncoding::kUtf8) out << "note: the file is read as UTF-8\n";
}

}  // namespace

void WriteNames(const NamesScan& scan, std::ostream& out) {
    const LampCaptions captions = CaptionsBesideLamps(scan);
    for (std::size_t i = 0; i < captions.size(); ++i)
        out << i + 1 << '\t' << EscapeCaption(captions[i]) << '\n';
}

void WriteWarnings(const NamesText& text, const NamesScan& scan, std::ostream& out) {
    WarnAboutText(text, scan, out);
    WarnAboutMarkers(scan, out);
    WarnAboutNames(scan, out);
    Remind(scan, out);
}

}  // namespace zorvane
