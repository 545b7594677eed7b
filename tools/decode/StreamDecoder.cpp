#include "StreamDecoder.h"

#include <algorithm>

#include "TextOutput.h"

namespace zorvane {

void StreamDecoder::Feed(const std::uint8_t* data, std::size_t size, std::string& out) {
    if (trace_) {
        for (std::size_t i = 0; i < size; ++i, ++offset_) {
            const DecodedByte step = DecodeByte(receiver_, data[i]);
            AppendTraceLine(offset_, data[i], step, out);
            if (step.completed && timeline_)
                timeline_->Frame(ByteTime(offset_), receiver_.LatestFrame(), out);
        }
        return;
    }
    std::span<const std::uint8_t> rest(data, size);
    while (!rest.empty()) {
        const DecodedBytes fed = DecodeUntilFrame(receiver_, rest);
        rest = rest.subspan(fed.used);
        offset_ += fed.used;
        if (fed.last.completed) AddFrame(offset_ - 1, fed.last.before, out);
    }
}

void StreamDecoder::AddFrame(std::uint64_t offset, const ReceiverState& before, std::string& out) {
    const Frame frame = receiver_.LatestFrame();
    if (changes_) changes_->AddFrame(frame, [offset] { return std::to_string(offset); }, out);
    if (timeline_) timeline_->Frame(ByteTime(offset), frame, out);
    if (changes_ || timeline_) return;
    char line[kDecimalMax + kDataBytesText + kStatusLineMax + 2];
    char* end = WriteDataBytes(WriteDecimal(line, offset), frame);
    *end++ = ' ';
    end = WriteStatusLine(end, 1, before);
    *end++ = '\n';
    out.append(line, end);
}

void StreamDecoder::AppendTraceLine(std::uint64_t offset, std::uint8_t byte,
                                    const DecodedByte& step, std::string& out) {
    char line[kDecimalMax + 4 + kStatusLineMax + 7];
    char* end = WriteDecimal(line, offset);
    *end++ = ' ';
    end = WriteHex(end, byte);
    *end++ = ' ';
    end = WriteStatusLine(end, 1, step.before);
    if (step.completed) end = std::copy_n(" frame", 6, end);
    *end++ = '\n';
    out.append(line, end);
}

}  // namespace zorvane
