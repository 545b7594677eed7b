// zorvane-decode: decodes the status line the way the monitor's reader does, from a capture or
// live from a port.
#include <fcntl.h>
#include <getopt.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "ChangeLog.h"
#include "LiveDecode.h"
#include "NamesFile.h"
#include "StreamDecoder.h"
#include "TextOutput.h"
#include "UniqueFd.h"

namespace {

constexpr const char* kUsage =
    "Usage: zorvane-decode [--trace|--changes [--names FILE]] [FILE|-]\n"
    "       zorvane-decode --device PATH [--trace|--changes [--names FILE]]\n"
    "Decodes the status line with the same receiver as the monitor: from a capture in FILE or on\n"
    "standard input, or live from the serial port PATH until Ctrl-C. Lines come out as the bytes\n"
    "arrive, so a pipe from a live source can be watched.\n"
    "\n"
    "Prints one line per completed frame:\n"
    "  OFFSET D0 D1 D2 D3 D4 E0 E1 E2 STATUS\n"
    "OFFSET is the zero-based position of the byte that completed the frame (with --device,\n"
    "counted from the first byte read). D0..D4 are the PLC's data bytes, E0..E2 the RT7720's,\n"
    "as two-digit hex; lamp N is bit (N-1) mod 8 of byte (N-1)/8 in that order. STATUS is the\n"
    "reader's status line as it was before that byte, the monitor's hidden Edit3:\n"
    "  rd:1       bytes taken by this read (always 1)\n"
    "  bfcnt:N    bytes stored of the current block: the next store position\n"
    "  prijem:1   the AA opening the first block (AA D0..D4 C1) has been seen\n"
    "  faze2:1    the first block passed its check; the second (AA E0 E1 E2 C2) is awaited\n"
    "  prijem2:1  the AA opening the second block has been seen\n"
    "  PLCerr:1   only second blocks keep arriving: the PLC is silent\n"
    "\n"
    "  --device PATH  read the serial port PATH (e.g. COM1 linked to /dev/ttyUSB0) as the monitor\n"
    "                 does: raw 57600 8O1, exclusive, never the system console. A device that\n"
    "                 goes away is waited for and opened again. Ctrl-C or SIGTERM ends it with\n"
    "                 status 0 and the port's settings as they were.\n"
    "  --changes      one line only when something changes, instead:\n"
    "                   WHEN D0 D1 D2 D3 D4 E0 E1 E2 [+N NAME|-N NAME]...\n"
    "                     the data differ from the frame before (the first frame always does);\n"
    "                     +N lamp N went on, -N it went off, NAME the name shown beside it\n"
    "                   WHEN link-down   40 ms passed without a frame\n"
    "                   WHEN link-up     the next frame came\n"
    "                   WHEN port-lost   the device went away\n"
    "                   WHEN port-back   it is open again\n"
    "                 WHEN is the local time with milliseconds for a device, the completing\n"
    "                 byte's OFFSET for a file or pipe. A file or pipe carries no timing, so the\n"
    "                 link and port lines come only with --device. At the end a summary goes to\n"
    "                 standard error. Output is UTF-8, a line at a time.\n"
    "  --names FILE   the lamp names for --changes (default: names.ini in the current folder,\n"
    "                 when there), read as the monitor reads them\n"
    "  --trace        one line per input byte instead: OFFSET BYTE STATUS [frame]\n"
    "  -h, --help     this text\n"
    "  --version      the program's version\n"
    "\n"
    "Read a port with --device, not with a bare `cat`: a terminal in its default settings turns\n"
    "CR bytes into LF, holds bytes back and echoes them to the sender. To keep the raw bytes for\n"
    "later, set the line up first:\n"
    "  stty -F /dev/ttyUSB0 57600 raw -echo cs8 parenb parodd -cstopb -crtscts\n"
    "  cat /dev/ttyUSB0 > capture.bin\n";

struct Options {
    bool trace = false;
    bool changes = false;
    const char* device = nullptr;
    const char* names = nullptr;
    const char* path = nullptr;
};

int BadUsage(const char* problem) {
    std::fprintf(stderr, "zorvane-decode: %s\nTry 'zorvane-decode --help'.\n", problem);
    return 2;
}

// Returns -1 to go on, else the exit status.
int Parse(int argc, char** argv, Options& opt) {
    static const option kLong[] = {{"trace", no_argument, nullptr, 't'},
                                   {"changes", no_argument, nullptr, 'c'},
                                   {"device", required_argument, nullptr, 'd'},
                                   {"names", required_argument, nullptr, 'n'},
                                   {"help", no_argument, nullptr, 'h'},
                                   {"version", no_argument, nullptr, 'V'},
                                   {nullptr, 0, nullptr, 0}};
    argv[0] = const_cast<char*>("zorvane-decode");  // getopt_long's messages name argv[0]
    for (int c; (c = getopt_long(argc, argv, "h", kLong, nullptr)) != -1;) {
        switch (c) {
            case 't':
                opt.trace = true;
                break;
            case 'c':
                opt.changes = true;
                break;
            case 'd':
                opt.device = optarg;
                break;
            case 'n':
                opt.names = optarg;
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
    if (argc - optind > 1) return BadUsage("only one FILE may be given");
    if (optind < argc) opt.path = argv[optind];
    if (opt.device && opt.path) return BadUsage("--device reads no FILE");
    if (opt.trace && opt.changes) return BadUsage("--trace and --changes exclude each other");
    if (opt.names && !opt.changes) return BadUsage("--names goes with --changes");
    return -1;
}

// The names beside the lamps: from --names, or from names.ini when there; either must read.
std::optional<zorvane::LampCaptions> LoadCaptions(const char* namesPath) {
    const std::string path = namesPath ? namesPath : "names.ini";
    zorvane::NamesFileError error;
    const auto text = zorvane::ReadNamesFile(path, error);
    // The monitor, too, goes on without names when there is no names.ini.
    const bool absent =
        error.step == zorvane::NamesFileError::Step::Open && error.sysErrno == ENOENT;
    if (!text && !namesPath && absent) return zorvane::LampCaptions{};
    if (!text) {
        std::fprintf(stderr, "zorvane-decode: %s\n", error.Describe(path).c_str());
        return std::nullopt;
    }
    return zorvane::CaptionsBesideLamps(zorvane::ScanNames(text->bytes, text->cutByReadLimit));
}

// Decodes what each read brings as soon as it comes, so a pipe from a live source prints as the
// frames arrive; from a file each read still brings a whole buffer.
int Decode(int fd, const char* name, zorvane::StreamDecoder& decoder) {
    static unsigned char buffer[1 << 20];
    std::string out;
    out.reserve(sizeof buffer);
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            std::fprintf(stderr, "zorvane-decode: cannot read %s: %s\n", name,
                         std::strerror(errno));
            return 1;
        }
        if (n == 0) return 0;  // every chunk's lines are out already
        out.clear();
        decoder.Feed(buffer, static_cast<std::size_t>(n), out);
        if (!zorvane::WriteOutput(out)) return 1;
    }
}

int DecodeFile(const char* path, zorvane::StreamDecoder& decoder) {
    if (!path || std::string_view(path) == "-")
        return Decode(STDIN_FILENO, "standard input", decoder);
    const zorvane::UniqueFd in(::open(path, O_RDONLY | O_CLOEXEC));
    if (!in.Valid()) {
        std::fprintf(stderr, "zorvane-decode: cannot open %s: %s\n", path, std::strerror(errno));
        return 1;
    }
    return Decode(in.Get(), path, decoder);
}

int Run(const Options& opt, zorvane::ChangeLog* changes) {
    if (opt.device && changes) {
        zorvane::LiveChanges sink(*changes);
        return zorvane::DecodeDevice(opt.device, sink);
    }
    if (opt.device) {
        zorvane::LiveLines sink(opt.trace);
        return zorvane::DecodeDevice(opt.device, sink);
    }
    zorvane::StreamDecoder decoder =
        changes ? zorvane::StreamDecoder(*changes) : zorvane::StreamDecoder(opt.trace);
    return DecodeFile(opt.path, decoder);
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    if (const int status = Parse(argc, argv, opt); status >= 0) return status;
    // Lines as they happen, for `| tee log.txt`.
    if (opt.device || opt.changes) std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!opt.changes) return Run(opt, nullptr);
    const auto captions = LoadCaptions(opt.names);
    if (!captions) return 1;
    zorvane::ChangeLog changes(*captions);
    const int status = Run(opt, &changes);
    std::fprintf(stderr, "zorvane-decode: %s\n", changes.Summary().c_str());
    return status;
}
