// zorvane-decode: decodes a captured byte stream the way the monitor's reader does.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "StreamDecoder.h"

namespace {

constexpr const char* kUsage =
    "Usage: zorvane-decode [--trace] [FILE|-]\n"
    "Decodes a capture of the status line (e.g. `cat /dev/ttyUSB0 > capture.bin`) from FILE,\n"
    "or from standard input, with the same receiver as the monitor.\n"
    "\n"
    "Prints one line per completed frame:\n"
    "  OFFSET D0 D1 D2 D3 D4 E0 E1 E2 STATUS\n"
    "OFFSET is the zero-based position of the byte that completed the frame, the data bytes are\n"
    "two-digit hex, STATUS is the reader's status line written before that byte.\n"
    "\n"
    "  --trace   one line per input byte instead: OFFSET BYTE STATUS [frame]\n"
    "  --help    this text\n";

struct Options {
    bool trace = false;
    const char* path = nullptr;
};

// Returns -1 to go on, else the exit status.
int Parse(int argc, char** argv, Options& opt) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--trace") {
            opt.trace = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "zorvane-decode: unknown option %s\n%s", argv[i], kUsage);
            return 2;
        } else if (opt.path) {
            std::fprintf(stderr, "zorvane-decode: only one FILE may be given\n");
            return 2;
        } else {
            opt.path = argv[i];
        }
    }
    return -1;
}

int Decode(std::FILE* in, const char* name, bool trace) {
    static unsigned char buffer[1 << 20];
    zorvane::StreamDecoder decoder(trace);
    std::string out;
    out.reserve(sizeof buffer);
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, in);
        out.clear();
        decoder.Feed(buffer, n, out);
        if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size()) {
            std::fprintf(stderr, "zorvane-decode: cannot write output: %s\n", std::strerror(errno));
            return 1;
        }
        if (n < sizeof buffer) break;
    }
    if (std::ferror(in)) {
        std::fprintf(stderr, "zorvane-decode: cannot read %s: %s\n", name, std::strerror(errno));
        return 1;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    if (const int status = Parse(argc, argv, opt); status >= 0) return status;
    if (!opt.path || std::string_view(opt.path) == "-")
        return Decode(stdin, "standard input", opt.trace);
    std::FILE* in = std::fopen(opt.path, "rb");
    if (!in) {
        std::fprintf(stderr, "zorvane-decode: cannot open %s: %s\n", opt.path,
                     std::strerror(errno));
        return 1;
    }
    const int status = Decode(in, opt.path, opt.trace);
    std::fclose(in);  // read-only: nothing to lose if closing fails
    return status;
}
