#include "VcdWriter.h"

#include "SignalName.h"
#include "TextAppend.h"

namespace zorvane {

namespace {

// Identifier codes: one printable character each.
char Code(int signal) {
    return static_cast<char>('!' + signal);
}

}  // namespace

VcdWriter::VcdWriter(const LampCaptions& captions) {
    for (int lamp = 1; lamp <= kLampCount; ++lamp)
        names_[lamp - 1] = SignalName(lamp, captions[lamp - 1]);
    names_[kLink] = "link";
    names_[kPort] = "port";
    value_[kPort] = true;  // whatever is read is open at the start
}

void VcdWriter::Frame(Micros at, const zorvane::Frame& frame, std::string& out) {
    for (int lamp = 1; lamp <= kLampCount; ++lamp)
        Set(lamp - 1, frame.Lamp(lamp), at, out);
    Set(kLink, true, at, out);
}

void VcdWriter::End(Micros at, std::string& out) {
    const Micros end = std::max(at, now_ + 1);
    AdvanceTo(end, out);
    out += '#';
    AppendDecimal(end, out);
    out += '\n';
}

void VcdWriter::Set(int signal, bool value, Micros at, std::string& out) {
    AdvanceTo(at, out);
    const bool changedNow = written_[signal] != Written::Nothing &&
                            value_[signal] != (written_[signal] == Written::One);
    if (changedNow && value != value_[signal]) AdvanceTo(now_ + 1, out);
    value_[signal] = value;
}

void VcdWriter::AdvanceTo(Micros at, std::string& out) {
    if (at <= now_) return;
    WriteChanges(out);
    now_ = at;
}

void VcdWriter::WriteChanges(std::string& out) {
    if (written_[0] == Written::Nothing) WriteHeader(out);
    bool stamped = false;
    for (int signal = 0; signal < kSignals; ++signal) {
        const Written now = value_[signal] ? Written::One : Written::Zero;
        if (written_[signal] == now) continue;
        if (!stamped) {
            out += '#';
            AppendDecimal(now_, out);
            out += '\n';
            stamped = true;
        }
        written_[signal] = now;
        out += value_[signal] ? '1' : '0';
        out += Code(signal);
        out += '\n';
    }
}

void VcdWriter::WriteHeader(std::string& out) const {
    if (!date_.empty()) out += "$date " + date_ + " $end\n";
    out += "$version zorvane-decode " ZORVANE_VERSION " $end\n";
    out += "$timescale 1 us $end\n";
    out += std::string("$scope module ") + kVcdScope + " $end\n";
    for (int signal = 0; signal < kSignals; ++signal)
        out += std::string("$var wire 1 ") + Code(signal) + ' ' + names_[signal] + " $end\n";
    out += "$upscope $end\n";
    out += "$enddefinitions $end\n";
}

}  // namespace zorvane
