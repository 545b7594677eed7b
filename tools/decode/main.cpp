// zorvane-decode: decodes a captured byte stream the way the monitor's reader does.
#include <getopt.h>

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
    "  --help    this text\n"
    "  --version the program's version\n";

struct Options {
    bool trace = false;
    const char* path = nullptr;
};

// Returns -1 to go on, else the exit status.
int Parse(int argc, char** argv, Options& opt) {
    static const option kLong[] = {{"trace", no_argument, nullptr, 't'},
                                   {"help", no_argument, nullptr, 'h'},
                                   {"version", no_argument, nullptr, 'V'},
                                   {nullptr, 0, nullptr, 0}};
    for (int c; (c = getopt_long(argc, argv, "th", kLong, nullptr)) != -1;) {
        switch (c) {
            case 't':
                opt.trace = true;
                break;
            case 'h':
                std::fputs(kUsage, stdout);
                return 0;
            case 'V':
                std::puts("zorvane-decode " ZORVANE_VERSION);
                return 0;
            default:  // getopt_long has said what is wrong
                std::fputs("Try 'zorvane-decode --help'.\n", stderr);
                return 2;
        }
    }
    if (argc - optind > 1) {
        std::fputs("zorvane-decode: only one FILE may be given\nTry 'zorvane-decode --help'.\n",
                   stderr);
        return 2;
    }
    if (optind < argc) opt.path = argv[optind];
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
