#include "StreamDecoder.h"

#include "TextOutput.h"

namespace zorvane {

void StreamDecoder::Feed(const std::uint8_t* data, std::size_t size, std::string& out) {
    for (std::size_t i = 0; i < size; ++i, ++offset_) {
        const DecodedByte step = DecodeByte(receiver_, data[i]);
        if (trace_)
            AppendTraceLine(offset_, data[i], step.before, step.completed, out);
        else if (step.completed && changes_)
            changes_->AddFrame(std::to_string(offset_), receiver_.LatestFrame(), out);
        else if (step.completed && !timeline_)
            AppendFrameLine(offset_, step.before, out);
        if (step.completed && timeline_)
            timeline_->Frame(ByteTime(offset_), receiver_.LatestFrame(), out);
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
