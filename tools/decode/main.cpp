// zorvane-decode: decodes the status line the way the monitor does, from a capture or live from a
// port, and publishes it to an MQTT broker.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ChangeLog.h"
#include "DeviceCatalogue.h"
#include "LineCore.h"
#include "LineSources.h"
#include "LineText.h"
#include "LogFiles.h"
#include "LogReplay.h"
#include "MqttLine.h"
#include "NamesFile.h"
#include "OutputFile.h"
#include "PortName.h"
#include "ProgramOptions.h"
#include "TextAppend.h"
#include "TextOutput.h"
#include "TimelineFeed.h"
#include "TimelineRun.h"

namespace {

using namespace zorvane;

constexpr const char* kUsage =
    "Usage: zorvane-decode [--trace|--changes [--names FILE]] [FILE|-]\n"
    "       zorvane-decode --device PORT [--trace|--changes [--names FILE]]\n"
    "       zorvane-decode --device PORT --mqtt URL [--mqtt-cafile FILE] [--mqtt-cert FILE "
    "--mqtt-key FILE] [--mqtt-client-id ID] [--mqtt-password-file FILE] [--trace|--changes] "
    "[--names FILE]\n"
    "       zorvane-decode --vcd OUT [--stats] [--names FILE] [--device PORT|FILE|-]\n"
    "       zorvane-decode --stats [--changes] [--names FILE] [--device PORT|FILE|-]\n"
    "       zorvane-decode --vcd OUT|--stats [--names FILE] --from-log LOG [LOG]...\n"
    "       zorvane-decode --list\n"
    "Decodes the status line with the same receiver as the monitor: from a capture in FILE or on\n"
    "standard input, or live from the serial port PORT until Ctrl-C; or reads back a change log.\n"
    "Lines come out as the bytes arrive, so a pipe from a live source can be watched.\n"
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
    "  --device PORT  read the serial port PORT as the monitor does: raw 57600 8O1, exclusive,\n"
    "                 never the system console. PORT is a device path (one that --list shows, or\n"
    "                 any other) or COMn as in the monitor's dialog: ./COMn when that exists,\n"
    "                 else /dev/ttyS<n-1>. A device that goes away is waited for and opened\n"
    "                 again. Ctrl-C, SIGTERM or SIGHUP ends it with status 0 and the\n"
    "                 port's settings as they were.\n"
    "  --list         the serial devices there now, as the monitor's dialog finds them, one a\n"
    "                 line: stable path, kernel name and description, separated by tabs; bytes\n"
    "                 below 0x20 and backslashes in a path are written \\xNN. Exit status 0\n"
    "                 also when there is none, which standard error then says.\n"
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
    "  --names FILE   the lamp names for --changes, --vcd, --stats and --mqtt (default:\n"
    "                 names.ini in the current folder, when there; with --from-log, the\n"
    "                 names file that the first log's first record-start names), read as the\n"
    "                 monitor reads them; an empty FILE for none. Without names the lamps are\n"
    "                 unnamed, which is said on standard error\n"
    "  --mqtt URL     with --device, publish to an MQTT broker while decoding; standard\n"
    "                 output then has only what --changes or --trace ask for. URL is\n"
    "                 mqtt://[USER@]HOST[:PORT]/PREFIX (port 1883) or mqtts://... (TLS, port\n"
    "                 8883, checked against the system's certificates). Under PREFIX:\n"
    "                   state        retained JSON: time, bytes, link, port and the 64 lamps\n"
    "                                (number, name, on); at most 10 times a second\n"
    "                   lamp/N       retained 1 or 0, when lamp N changes\n"
    "                   lamp/N/name  retained, the name beside lamp N\n"
    "                   event        QoS 1, one JSON object per --changes line\n"
    "                   status       retained online; offline when it ends or dies\n"
    "                 A broker that is away is tried again (1 s, doubling up to 30 s) and the\n"
    "                 last 10000 events wait for it. The password comes from the environment\n"
    "                 (ZORVANE_MQTT_PASSWORD) or --mqtt-password-file, never the URL. A TLS\n"
    "                 failure that only another configuration mends (a broker's certificate\n"
    "                 nobody here trusts, a client certificate wanted) ends the program with\n"
    "                 status 2 when the broker never took it.\n"
    "  --mqtt-cafile FILE\n"
    "                 the certificate authority for mqtts:// instead of the system's\n"
    "  --mqtt-cert FILE\n"
    "                 a client certificate (PEM) for mqtts://, with --mqtt-key\n"
    "  --mqtt-key FILE\n"
    "                 its private key (PEM, not encrypted)\n"
    "  --mqtt-client-id ID\n"
    "                 the client id the broker knows it by (default zorvane-HOST-DEVICE, the\n"
    "                 same on every run, cut to 23 characters with a hash of the rest)\n"
    "  --mqtt-password-file FILE\n"
    "                 the broker's password: the first line of FILE\n"
    "  --vcd OUT      write a Value Change Dump (IEEE 1364) to OUT (- for standard output)\n"
    "                 instead of text, for waveform viewers (GTKWave, PulseView,\n"
    "                 sigrok-cli): 64 signals named by lamp number and name (L13_Kompresor;\n"
    "                 accents dropped, other characters _), link (1 up, 0 after 40 ms without\n"
    "                 a frame and before the first), port (1 open, 0 lost); timescale 1 us.\n"
    "                 Times come from the clock for --device, from the byte offsets for a\n"
    "                 capture (a byte takes 11 bits at 57600 baud; a capture's link never goes\n"
    "                 down) and from the lines for --from-log. Written beside OUT, which it\n"
    "                 replaces once whole (a live dump once the port is open; it grows\n"
    "                 there, and a viewer can reload it); a run that fails leaves OUT as it\n"
    "                 was. OUT may not be one of the inputs. Not with --trace or --changes.\n"
    "                 Beside a file OUT.vcd goes OUT.gtkw, which opens it in GTKWave showing\n"
    "                 link, port and the lamps (gtkwave OUT.gtkw); one that GTKWave wrote is\n"
    "                 kept.\n"
    "  --stats        at the end, one line per lamp that changed while watched:\n"
    "                   N NAME: on K times, shortest on A ms, shortest off B ms,\n"
    "                   on P % of T s watched\n"
    "                 K how often it went on; A and B its shortest time on and off, in\n"
    "                 milliseconds, counting only times that began and ended with a change\n"
    "                 (- when there is none); P its share of the T seconds the line was\n"
    "                 watched: from a frame until the port is lost or closed, lines were\n"
    "                 lost (record-gap) or the input ends. A bouncing contact goes on often\n"
    "                 and briefly. Alone it prints nothing else; with --changes it follows\n"
    "                 their lines; with --vcd it goes to standard output, so OUT must be a\n"
    "                 file.\n"
    "  --from-log LOG\n"
    "                 read change logs instead of bytes, with --vcd or --stats: LOG and every\n"
    "                 FILE after it, --changes output or the monitor's record (- for standard\n"
    "                 input; a folder for the record's files in it), in the order of their\n"
    "                 first times. The record adds WHEN record-start port=\"COM1\"\n"
    "                 device=\"...\" names=\"...\" (a run began: port open, link down), FROM\n"
    "                 record-gap until=TO lost=N (N lines could not be kept) and WHEN\n"
    "                 record-end (the run ended: link down, port closed). Lines of kinds a\n"
    "                 later version writes (WHEN some-word ...) are passed over; lines that\n"
    "                 cannot be read (cut off, run together, a time that is none) are passed\n"
    "                 over and counted on standard error; a time out of the years 1678 to\n"
    "                 2262 (or a byte offset past 1.6e12) ends it with status 1.\n"
    "  --trace        one line per input byte instead: OFFSET BYTE STATUS [frame]\n"
    "  -h, --help     this text\n"
    "  --version      the program's version\n"
    "\n"
    "Read a port with --device, not with a bare `cat`: a terminal in its default settings turns\n"
    "CR bytes into LF, holds bytes back and echoes them to the sender. To keep the raw bytes of a\n"
    "real serial port for later, set the line up first (a pseudo-terminal, such as\n"
    "zorvane-sim's, has no parity to set and refuses parenb):\n"
    "  stty -F /dev/ttyUSB0 57600 raw -echo cs8 parenb parodd -cstopb -crtscts\n"
    "  cat /dev/ttyUSB0 > capture.bin\n";

const Program kProgram{"zorvane-decode", kUsage};

struct Options {
    bool list = false;
    bool trace = false;
    bool changes = false;
    bool stats = false;
    const char* vcd = nullptr;
    const char* fromLog = nullptr;
    std::vector<std::string> logs;  // every --from-log, and with it every FILE
    const char* device = nullptr;
    const char* names = nullptr;
    const char* path = nullptr;
    const char* mqtt = nullptr;
    const char* mqttCafile = nullptr;
    const char* mqttPasswordFile = nullptr;
    const char* mqttCert = nullptr;
    const char* mqttKey = nullptr;
    const char* mqttClientId = nullptr;
};

// What goes together; empty when it does.
std::string Combination(const Options& opt, int operands) {
    if (operands > 1 && !opt.fromLog) return "only one FILE may be given";
    if (opt.device && opt.path) return "--device reads no FILE";
    if (opt.list && (opt.trace || opt.changes || opt.stats || opt.vcd || opt.fromLog ||
                     opt.device || opt.names || opt.path || opt.mqtt))
        return "--list stands alone";
    if (opt.trace && opt.changes) return "--trace and --changes exclude each other";
    if (opt.names && !opt.changes && !opt.vcd && !opt.stats && !opt.mqtt)
        return "--names goes with --changes, --vcd, --stats or --mqtt";
    if (opt.mqtt && (!opt.device || opt.vcd || opt.stats))
        return "--mqtt goes with --device, and not with --vcd or --stats";
    if ((opt.mqttCafile || opt.mqttPasswordFile || opt.mqttCert || opt.mqttKey ||
         opt.mqttClientId) &&
        !opt.mqtt)
        return "the --mqtt-... options go with --mqtt";
    if (opt.vcd && (opt.trace || opt.changes))
        return "--vcd writes no text: not with --trace or --changes";
    if (opt.stats && opt.trace) return "--trace and --stats exclude each other";
    if (opt.stats && opt.vcd && std::string_view(opt.vcd) == "-")
        return "--stats beside a dump on standard output would spoil it: --vcd FILE";
    if (opt.fromLog && !opt.vcd && !opt.stats) return "--from-log goes with --vcd or --stats";
    if (opt.fromLog && (opt.device || opt.changes))
        return "--from-log reads no --device and makes no --changes";
    return {};
}

// Returns the exit status when the program ends here.
std::optional<int> Parse(int argc, char** argv, Options& opt) {
    static const option kLong[] = {{"trace", no_argument, nullptr, 't'},
                                   {"changes", no_argument, nullptr, 'c'},
                                   {"device", required_argument, nullptr, 'd'},
                                   {"list", no_argument, nullptr, 'l'},
                                   {"names", required_argument, nullptr, 'n'},
                                   {"vcd", required_argument, nullptr, 'v'},
                                   {"stats", no_argument, nullptr, 's'},
                                   {"from-log", required_argument, nullptr, 'f'},
                                   {"mqtt", required_argument, nullptr, 'm'},
                                   {"mqtt-cafile", required_argument, nullptr, 'C'},
                                   {"mqtt-password-file", required_argument, nullptr, 'P'},
                                   {"mqtt-cert", required_argument, nullptr, 'T'},
                                   {"mqtt-key", required_argument, nullptr, 'K'},
                                   {"mqtt-client-id", required_argument, nullptr, 'I'},
                                   {"help", no_argument, nullptr, 'h'},
                                   {"version", no_argument, nullptr, 'V'},
                                   {nullptr, 0, nullptr, 0}};
    const auto take = [&opt](int code, const char* value) -> std::string {
        switch (code) {
            case 't':
                opt.trace = true;
                break;
            case 'c':
                opt.changes = true;
                break;
            case 'd':
                opt.device = value;
                break;
            case 'l':
                opt.list = true;
                break;
            case 'n':
                opt.names = value;
                break;
            case 'v':
                opt.vcd = value;
                break;
            case 's':
                opt.stats = true;
                break;
            case 'f':
                opt.fromLog = value;
                opt.logs.emplace_back(value);
                break;
            case 'm':
                opt.mqtt = value;
                break;
            case 'C':
                opt.mqttCafile = value;
                break;
            case 'P':
                opt.mqttPasswordFile = value;
                break;
            case 'T':
                opt.mqttCert = value;
                break;
            case 'K':
                opt.mqttKey = value;
                break;
            case 'I':
                opt.mqttClientId = value;
                break;
        }
        return {};
    };
    const ReadOptionsResult read = ReadOptions(kProgram, argc, argv, "h", kLong, take);
    if (read.exit) return read.exit;
    for (int i = read.firstOperand; opt.fromLog && i < argc; ++i)
        opt.logs.emplace_back(argv[i]);
    if (read.firstOperand < argc && !opt.fromLog) opt.path = argv[read.firstOperand];
    if (const std::string problem = Combination(opt, argc - read.firstOperand); !problem.empty())
        return UsageError(kProgram, problem);
    return std::nullopt;
}

void SayUnnamed(const std::string& why) {
    std::fprintf(stderr, "zorvane-decode: %s: the lamps are unnamed\n", why.c_str());
}

// The names beside the lamps: from --names (none for an empty FILE), else from names.ini when
// there, as the monitor goes on without it. -1 to go on; else the exit status, 2 for a names
// file that cannot be read, which only the configuration can mend.
int LoadCaptions(const char* namesPath, LampCaptions& captions) {
    if (namesPath && !*namesPath) {
        SayUnnamed("no names file (--names is empty)");
        return -1;
    }
    const std::string path = namesPath ? namesPath : "names.ini";
    NamesFileError error;
    const auto text = ReadNamesFile(path, error);
    const bool absent = error.step == NamesFileError::Step::Open && error.sysErrno == ENOENT;
    if (!text && !namesPath && absent) {
        std::error_code unknown;  // then the folder goes unnamed too
        SayUnnamed("no names.ini in " + std::filesystem::current_path(unknown).string() +
                   " (--names FILE names them)");
        return -1;
    }
    if (!text) {
        std::fprintf(stderr, "zorvane-decode: %s\n", error.Describe(path).c_str());
        return 2;
    }
    captions = CaptionsBesideLamps(ScanNames(text->bytes, text->cutByReadLimit));
    return -1;
}

// A path as one field of a line: what would end the field or the line is written \xNN.
std::string Field(const std::string& path) {
    std::string out;
    for (const char c : path) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != '\\') {
            out += c;
            continue;
        }
        out += "\\x";
        AppendHex(static_cast<std::uint8_t>(c), out);
    }
    return out;
}

int ListDevices() {
    const std::vector<SerialDevice> devices = DeviceCatalogue().List();
    if (devices.empty())
        std::fprintf(stderr,
                     "zorvane-decode: no serial device found: no USB serial adapter in "
                     "/dev/serial/by-id/, no built-in serial port but the system console\n");
    std::string out;
    for (const SerialDevice& device : devices)
        out += Field(device.path) + '\t' + device.kernelName + '\t' + device.description + '\n';
    return WriteOutput(out) ? 0 : 1;
}

std::string HostName() {
    char name[256] = {};
    // Without one, the client id goes without it.
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

// -1 to go on, with `mqtt` set when asked for; else the exit status.
int ReadMqttOptions(const Options& opt, std::optional<MqttSettings>& mqtt) {
    if (!opt.mqtt) return -1;
    MqttSettingsError error;
    mqtt = LoadMqttSettings(opt.mqtt, opt.mqttCafile, opt.mqttPasswordFile,
                            std::getenv("ZORVANE_MQTT_PASSWORD"), error);
    if (mqtt && LoadMqttIdentity(*mqtt, opt.mqttClientId, HostName(), opt.device, opt.mqttCert,
                                 opt.mqttKey, error))
        return -1;
    mqtt.reset();
    if (error.status == 2) return UsageError(kProgram, error.message);
    // A file the options name that cannot be read: the configuration's fault as well.
    std::fprintf(stderr, "zorvane-decode: %s\n", error.message.c_str());
    return 2;
}

// A dump over one of its own inputs would destroy it: refused before anything is written.
std::optional<int> RefuseOverwrite(const Options& opt, const std::vector<std::string>& inputs) {
    if (!opt.vcd || !OutputFile::IsOneOf(opt.vcd, inputs)) return std::nullopt;
    return UsageError(kProgram, std::string("--vcd ") + opt.vcd + " would overwrite an input");
}

std::string RealPath(const char* path) {
    char real[PATH_MAX];
    return ::realpath(path, real) ? real : "";
}

// The names of a record read back: --names; else the names file its first run read, as the
// record says (none when it read none); else names.ini, as for everything else. `used`: the
// file the lamps are named from, so that runs that read another are told; none after --names.
// -1 to go on; else the exit status.
int LogCaptions(const Options& opt, const std::optional<RunInfo>& run, LampCaptions& captions,
                std::optional<std::string>& used) {
    if (opt.names || !run) {
        if (!opt.names) used = RealPath("names.ini");
        return LoadCaptions(opt.names, captions);
    }
    used = run->names;
    if (run->names.empty()) return -1;
    NamesFileError error;
    if (const auto text = ReadNamesFile(run->names, error)) {
        captions = CaptionsBesideLamps(ScanNames(text->bytes, text->cutByReadLimit));
        return -1;
    }
    std::fprintf(stderr,
                 "zorvane-decode: %s (the record's names file); the lamps are named from "
                 "names.ini instead, when it is there\n",
                 error.Describe(run->names).c_str());
    used.reset();
    return LoadCaptions(nullptr, captions);
}

// --from-log: change logs read back into a dump or statistics.
int FromLog(const Options& opt) {
    std::vector<LogFile> logs;
    if (!FindLogs(opt.logs, logs)) return 1;
    TextLines input(STDIN_FILENO);
    const std::optional<RunInfo> run = FirstRun(logs, input);
    std::vector<std::string> inputs{opt.names ? opt.names : run ? run->names : "names.ini"};
    std::string given;
    for (const LogFile& log : logs)
        inputs.push_back(log.path);
    for (const std::string& log : opt.logs)
        given += (given.empty() ? "" : ", ") + log;
    if (const auto refused = RefuseOverwrite(opt, inputs)) return *refused;
    std::optional<std::string> used;
    LampCaptions captions;
    if (const int status = LogCaptions(opt, run, captions, used); status >= 0) return status;
    TimelineRun timeline(opt.vcd, opt.stats, captions);
    if (!timeline.Open()) return 1;
    return timeline.Finish(ReadLogs(logs, input, timeline.Get(), used, given));
}

// A live dump takes its target's place once the port is open, and grows there.
class DumpInPlace final : public LineConsumer {
  public:
    explicit DumpInPlace(TimelineRun& run) : run_(run) {}
    // A failure is said, and tried again at the end.
    void Start(const Moment& /*at*/) override { (void)run_.Commit(); }
    void Event(const LineEvent& /*event*/) override {}

  private:
    TimelineRun& run_;
};

// Everything else reads bytes: the line core decodes them once, for every output asked for.
int Decode(const Options& opt, const LampCaptions& captions,
           const std::optional<MqttSettings>& mqttSettings) {
    LineCore line;
    std::string out;
    const bool device = opt.device != nullptr;
    std::optional<FrameLines> frames;
    std::optional<TraceLines> trace;
    ChangeLog log(captions);
    std::optional<ChangeLines> changes;
    std::optional<PortNotes> notes;
    std::optional<MqttPublisher> publisher;
    std::optional<MqttLine> mqtt;
    std::optional<TimelineRun> timeline;
    std::optional<TimelineFeed> feed;
    std::optional<DumpInPlace> inPlace;
    if (opt.trace) line.Add(trace.emplace(out));
    if (opt.changes) line.Add(changes.emplace(log, device, out));
    // With --mqtt, --vcd or --stats, standard output has only the text asked for.
    if (!opt.trace && !opt.changes && !opt.mqtt && !opt.vcd && !opt.stats)
        line.Add(frames.emplace(out));
    if (device && !opt.changes) line.Add(notes.emplace(DevicePath(opt.device)));
    if (mqttSettings) line.Add(mqtt.emplace(publisher.emplace(*mqttSettings, captions), captions));
    if (opt.vcd || opt.stats) {
        timeline.emplace(opt.vcd, opt.stats, captions);
        if (!timeline->Open()) return 1;
        line.Add(feed.emplace(timeline->Get(), out));
        if (device) line.Add(inPlace.emplace(*timeline));
    }
    const auto gaveUp = [&publisher] { return publisher && publisher->GaveUp(); };
    int status =
        device ? ReadDevice(opt.device, line, out, gaveUp) : ReadCapture(opt.path, line, out);
    if (status == 0 && gaveUp()) status = 2;  // it said why
    if (feed && status == 0) {
        if (device)
            feed->End(Moment::Now());
        else
            feed->End(line.Bytes());
        status = WriteOutput(out) ? 0 : 1;
    }
    const LineHealth health = line.Health();
    if (timeline) status = timeline->Finish(status);
    if (opt.changes)
        std::fprintf(stderr, "zorvane-decode: %s, %s\n", log.Summary().c_str(),
                     HealthFields(health).c_str());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    if (const auto status = Parse(argc, argv, opt)) return *status;
    if (opt.list) return ListDevices();
    // Lines as they happen, for `| tee log.txt`.
    if (opt.device || opt.changes) std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (opt.fromLog) return FromLog(opt);
    const std::vector<std::string> inputs{opt.path ? opt.path : "-",
                                          opt.names ? opt.names : "names.ini",
                                          opt.device ? DevicePath(opt.device) : "-"};
    if (const auto refused = RefuseOverwrite(opt, inputs)) return *refused;
    std::optional<MqttSettings> mqtt;
    if (const int status = ReadMqttOptions(opt, mqtt); status >= 0) return status;
    LampCaptions captions;
    const bool named = opt.changes || opt.vcd || opt.stats || opt.mqtt;
    if (const int status = named ? LoadCaptions(opt.names, captions) : -1; status >= 0)
        return status;
    return Decode(opt, captions, mqtt);
}
