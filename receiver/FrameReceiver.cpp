#include "FrameReceiver.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace zorvane {

namespace {
constexpr std::uint8_t kFirstBlockEnd = 6;
// The second block completes once its check byte (its fourth byte) is stored.
constexpr std::uint8_t kSecondBlockEnd = 10;
constexpr std::uint8_t kLoneSecondBlocksForSilence = 10;

// True when (p[0]+..+p[4]) mod 256 == p[5]: a first block's check.
bool CheckSum5(const std::uint8_t* p) {
    const std::uint8_t sum = p[0] + p[1] + p[2] + p[3] + p[4];
    return sum == p[5];
}

// True when (p[0]+p[1]+p[2]) mod 256 == p[3]: a second block's check.
bool CheckSum3(const std::uint8_t* p) {
    const std::uint8_t sum = p[0] + p[1] + p[2];
    return sum == p[3];
}
}  // namespace

void FrameReceiver::Feed(std::uint8_t c) {
    // 1. Second block: store, then look for the AA that opens it.
    if (firstBlockAccepted_) StoreSecondBlock(c);
    // 2. First block: store.
    if (firstBlockOpen_ && !firstBlockAccepted_) StoreFirstBlock(c);
    // 3. Hunting: the AA that opens the first block.
    if (c == kBlockStart && !firstBlockOpen_) firstBlockOpen_ = true;
    // 4. Six bytes in the first block: accept it, or slide the window by five.
    if (storedBytes_ == kFirstBlockEnd) CheckFirstBlock();
    // 5. A window that keeps summing over three bytes means second blocks without first ones.
    if (loneSecondBlocks_ >= kLoneSecondBlocksForSilence && CheckSum3(&buffer_[0]))
        plcSilent_ = true;
    // 6. Complete when C2 has been stored, whatever it says. (Never early on a C2 left from an
    //    earlier frame.)
    if (storedBytes_ >= kSecondBlockEnd) {
        complete_ = true;
        if (!CheckSum3(&buffer_[8])) ++checksumErrors_;
    }
}

void FrameReceiver::StoreSecondBlock(std::uint8_t c) {
    if (secondBlockOpen_) {
        // Positions 8..11; the guard keeps a misuse (feeding past completion) inside the buffer.
        if (storedBytes_ + 2u < buffer_.size()) buffer_[storedBytes_ + 2u] = c;
        ++storedBytes_;
    }
    if (c == kBlockStart && !secondBlockOpen_) secondBlockOpen_ = true;
}

void FrameReceiver::StoreFirstBlock(std::uint8_t c) {
    buffer_[storedBytes_] = c;
    ++storedBytes_;
}

void FrameReceiver::CheckFirstBlock() {
    if (CheckSum5(&buffer_[0])) {
        firstBlockAccepted_ = true;
        loneSecondBlocks_ = 0;
        plcSilent_ = false;
        return;
    }
    ++checksumErrors_;
    buffer_[0] = buffer_[5];
    storedBytes_ = 1;
    if (CheckSum3(&buffer_[0])) ++loneSecondBlocks_;  // wraps at 256 like the byte it is
}

Frame FrameReceiver::LatestFrame() const {
    return {{buffer_[0], buffer_[1], buffer_[2], buffer_[3], buffer_[4], buffer_[8], buffer_[9],
             buffer_[10]}};
}

std::optional<ReceiverState> FrameReceiver::TakeCleanFrame(std::span<const std::uint8_t> bytes) {
    // Byte by byte: the AA opens the first block, six bytes fill it and pass their check, the AA
    // opens the second block and its four bytes complete the frame. Nothing on that way depends
    // on what the data hold, and the count of lone second blocks is zero whenever the receiver
    // hunts (only a frame's end, after an accepted block, sends it hunting), and stays so.
    if (bytes.size() < kWireFrameBytes || State() != ReceiverState{} || bytes[0] != kBlockStart ||
        !CheckSum5(&bytes[1]) || bytes[7] != kBlockStart)
        return std::nullopt;
    std::copy_n(&bytes[1], kFirstBlockEnd, buffer_.begin());
    std::copy_n(&bytes[8], 4, buffer_.begin() + 8);
    if (!CheckSum3(&buffer_[8])) ++checksumErrors_;
    return ReceiverState{kSecondBlockEnd - 1, true, true, true, false};
}

void FrameReceiver::ResetForNextFrame() {
    storedBytes_ = 0;
    firstBlockOpen_ = false;
    firstBlockAccepted_ = false;
    secondBlockOpen_ = false;
    plcSilent_ = false;
    complete_ = false;
}

DecodedByte DecodeByte(FrameReceiver& receiver, std::uint8_t byte) {
    DecodedByte step{receiver.State()};
    receiver.Feed(byte);
    if (receiver.complete()) {
        receiver.ResetForNextFrame();
        step.completed = true;
    }
    return step;
}

DecodedBytes DecodeUntilFrame(FrameReceiver& receiver, std::span<const std::uint8_t> bytes) {
    DecodedBytes fed;
    while (fed.used < bytes.size()) {
        if (const auto before = receiver.TakeCleanFrame(bytes.subspan(fed.used))) {
            fed.used += kWireFrameBytes;
            fed.last = {*before, true};
        } else {
            fed.last = DecodeByte(receiver, bytes[fed.used++]);
        }
        if (fed.last.completed) break;
    }
    return fed;
}

char* WriteStatusLine(char* out, int bytesRead, const ReceiverState& s) {
    const auto text = [&out](std::string_view t) { out = std::copy(t.begin(), t.end(), out); };
    const auto number = [&out](int n) { out = std::to_chars(out, out + 11, n).ptr; };
    text("rd:");
    number(bytesRead);
    text(" bfcnt:");
    number(s.storedBytes);
    text(" prijem:");
    number(s.firstBlockOpen);
    text(" faze2:");
    number(s.firstBlockAccepted);
    text(" prijem2:");
    number(s.secondBlockOpen);
    text(" PLCerr:");
    number(s.plcSilent);
    return out;
}

std::string FormatStatusLine(int bytesRead, const ReceiverState& s) {
    char line[kStatusLineMax];
    return {line, WriteStatusLine(line, bytesRead, s)};
}

}  // namespace zorvane
