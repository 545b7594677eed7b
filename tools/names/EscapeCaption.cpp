#include "EscapeCaption.h"

#include <cstdio>

namespace zorvane {

namespace {

void AppendEscaped(std::string& out, char c) {
    switch (c) {
        case '\r':
            out += "\\r";
            return;
        case '\n':
            out += "\\n";
            return;
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

}  // namespace

std::string EscapeCaption(const std::string& caption) {
    std::string out;
    for (const char c : caption)
        AppendEscaped(out, c);
    return out;
}

}  // namespace zorvane
