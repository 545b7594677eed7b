#include "FrameReceiver.h"

#include <charconv>

namespace zorvane {

namespace {
// The second block completes once its check byte (the fourth byte) is stored.
constexpr std::uint8_t kSecondBlockEnd = 10;
constexpr std::uint8_t kFirstBlockEnd = 6;
constexpr std::uint8_t kSilentAfter = 10;
}  // namespace

void FrameReceiver::Feed(std::uint8_t c) {
    // 1. Second block: store, then look for the AA that opens it.
    if (faze2_) StoreSecondBlock(c);
    // 2. First block: store.
    if (prijem_ && !faze2_) StoreFirstBlock(c);
    // 3. Hunting: the AA that opens the first block.
    if (c == kBlockStart && !prijem_) prijem_ = true;
    // 4. Six bytes in the first block: accept it, or slide the window by five.
    if (bfcnt_ == kFirstBlockEnd) CheckFirstBlock();
    // 5. A window that keeps summing over three bytes means second blocks without first ones.
    if (errcnt_ >= kSilentAfter && CheckSum3(&FrameBuffer_[0])) PLCerr_ = true;
    // 6. Complete when C2 has been stored. (No early completion on a stale C2.)
    if (bfcnt_ >= kSecondBlockEnd) done_ = true;
}

void FrameReceiver::StoreSecondBlock(std::uint8_t c) {
    if (prijem2_) {
        // Positions 8..11; the guard keeps a misuse (feeding past done) inside the buffer.
        if (bfcnt_ + 2u < FrameBuffer_.size()) FrameBuffer_[bfcnt_ + 2u] = c;
        ++bfcnt_;
    }
    if (c == kBlockStart && !prijem2_) prijem2_ = true;
}

void FrameReceiver::StoreFirstBlock(std::uint8_t c) {
    FrameBuffer_[bfcnt_] = c;
    ++bfcnt_;
}

void FrameReceiver::CheckFirstBlock() {
    if (CheckSum5(&FrameBuffer_[0])) {
        faze2_ = true;
        errcnt_ = 0;
        PLCerr_ = false;
        return;
    }
    FrameBuffer_[0] = FrameBuffer_[5];
    bfcnt_ = 1;
    if (CheckSum3(&FrameBuffer_[0])) ++errcnt_;  // wraps at 256 like the byte it is
}

void FrameReceiver::Start() {
    ResetForNextFrame();
    errcnt_ = 0;
}

void FrameReceiver::ResetForNextFrame() {
    bfcnt_ = 0;
    prijem_ = false;
    faze2_ = false;
    prijem2_ = false;
    PLCerr_ = false;
    done_ = false;
}

void AppendStatusLine(std::string& out, int bytesRead, const ReceiverSnapshot& s) {
    // Written for every byte on the reader thread, so no printf machinery here.
    char number[16];
    out += "rd:";
    out.append(number, std::to_chars(number, number + sizeof number, bytesRead).ptr);
    out += " bfcnt:";
    out.append(number, std::to_chars(number, number + sizeof number, int{s.bfcnt}).ptr);
    out += s.prijem ? " prijem:1" : " prijem:0";
    out += s.faze2 ? " faze2:1" : " faze2:0";
    out += s.prijem2 ? " prijem2:1" : " prijem2:0";
    out += s.PLCerr ? " PLCerr:1" : " PLCerr:0";
}

std::string FormatStatusLine(int bytesRead, const ReceiverSnapshot& s) {
    std::string line;
    line.reserve(64);
    AppendStatusLine(line, bytesRead, s);
    return line;
}

}  // namespace zorvane
