#include "StreamDecoder.h"

#include <charconv>

#include "DecodeStep.h"

namespace zorvane {

namespace {

void AppendHex(std::uint8_t b, std::string& out) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
}

void AppendDecimal(std::uint64_t value, std::string& out) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

}  // namespace

void StreamDecoder::Feed(const std::uint8_t* data, std::size_t size, std::string& out) {
    for (std::size_t i = 0; i < size; ++i, ++offset_) {
        const DecodedByte step = DecodeStep(receiver_, data[i]);
        if (trace_)
            AppendTraceLine(offset_, data[i], step.before, step.completed, out);
        else if (step.completed)
            AppendFrameLine(offset_, step.before, out);
    }
}

void StreamDecoder::AppendFrameLine(std::uint64_t offset, const ReceiverSnapshot& before,
                                    std::string& out) {
    const Frame& f = receiver_.FrameBuffer();
    AppendDecimal(offset, out);
    for (std::size_t i = 0; i < kPlcBytes; ++i) {
        out += ' ';
        AppendHex(f[kPlcPos + i], out);
    }
    for (std::size_t i = 0; i < kRtBytes; ++i) {
        out += ' ';
        AppendHex(f[kRtPos + i], out);
    }
    out += ' ';
    AppendStatusLine(out, 1, before);
    out += '\n';
}

void StreamDecoder::AppendTraceLine(std::uint64_t offset, std::uint8_t byte,
                                    const ReceiverSnapshot& before, bool completed,
                                    std::string& out) {
    AppendDecimal(offset, out);
    out += ' ';
    AppendHex(byte, out);
    out += ' ';
    AppendStatusLine(out, 1, before);
    if (completed) out += " frame";
    out += '\n';
}

}  // namespace zorvane
