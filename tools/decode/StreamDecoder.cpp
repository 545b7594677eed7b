#include "StreamDecoder.h"

#include <charconv>

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
        const DecodedByte step = DecodeByte(receiver_, data[i]);
        if (trace_)
            AppendTraceLine(offset_, data[i], step.before, step.completed, out);
        else if (step.completed)
            AppendFrameLine(offset_, step.before, out);
    }
}

void StreamDecoder::AppendFrameLine(std::uint64_t offset, const ReceiverState& before,
                                    std::string& out) {
    AppendDecimal(offset, out);
    for (const std::uint8_t b : receiver_.LatestFrame().data) {
        out += ' ';
        AppendHex(b, out);
    }
    out += ' ';
    out += FormatStatusLine(1, before);
    out += '\n';
}

void StreamDecoder::AppendTraceLine(std::uint64_t offset, std::uint8_t byte,
                                    const ReceiverState& before, bool completed, std::string& out) {
    AppendDecimal(offset, out);
    out += ' ';
    AppendHex(byte, out);
    out += ' ';
    out += FormatStatusLine(1, before);
    if (completed) out += " frame";
    out += '\n';
}

}  // namespace zorvane
