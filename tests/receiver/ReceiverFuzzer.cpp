// libFuzzer target: arbitrary bytes through the receiver and the reader's decoding step.
#include <algorithm>
#include <cstdlib>

#include "FrameReceiver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zorvane;
    FrameReceiver receiver, inRuns;
    std::size_t runEnd = 0;
    DecodedBytes run;
    for (std::size_t i = 0; i < size; ++i) {
        const DecodedByte step = DecodeByte(receiver, data[i]);
        // Fed as reads bring the bytes, in runs of up to 37, it completes the same frames.
        if (i == runEnd) {
            run = DecodeUntilFrame(
                inRuns, std::span(data + i, std::min<std::size_t>(size - i, 1 + data[i] % 37)));
            runEnd = i + run.used;
        }
        if (i + 1 == runEnd &&
            (run.last.completed != step.completed || run.last.before != step.before ||
             inRuns.State() != receiver.State() || inRuns.LatestFrame() != receiver.LatestFrame()))
            std::abort();
        if (i + 1 < runEnd && step.completed) std::abort();
        const ReceiverState s = receiver.State();
        // The store position must stay inside the buffer: first block 0..5, second 8..11.
        if (s.firstBlockAccepted ? s.storedBytes < 6 || s.storedBytes > 9 : s.storedBytes > 5)
            std::abort();
        if (!step.completed) continue;
        if (s != ReceiverState{}) std::abort();
        if (FormatStatusLine(1, step.before).size() > 48) std::abort();
        // Only an accepted first block is ever shown: its data and check byte were on the line.
        const Frame frame = receiver.LatestFrame();
        const auto plc = frame.Plc();
        std::uint8_t block[6];
        std::copy(plc.begin(), plc.end(), block);
        block[5] = static_cast<std::uint8_t>(plc[0] + plc[1] + plc[2] + plc[3] + plc[4]);
        if (std::search(data, data + i, block, block + 6) == data + i) std::abort();
    }
    return 0;
}
