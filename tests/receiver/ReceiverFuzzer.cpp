// libFuzzer target: arbitrary bytes through the receiver and the reader's decoding step.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "DecodeStep.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zorvane;
    FrameReceiver receiver;
    receiver.Start();
    for (std::size_t i = 0; i < size; ++i) {
        const DecodedByte step = DecodeStep(receiver, data[i]);
        const ReceiverSnapshot s = receiver.Snapshot();
        // The store position must stay inside the buffer: first block 0..5, second 8..11.
        if (s.faze2 ? s.bfcnt < 6 || s.bfcnt > 9 : s.bfcnt > 5) std::abort();
        if (!step.completed) continue;
        const Frame& f = receiver.FrameBuffer();
        if (!CheckSum5(&f[0])) std::abort();  // only an accepted first block is ever shown
        if (s.bfcnt != 0 || s.prijem || s.faze2 || s.prijem2) std::abort();
        if (FormatStatusLine(1, step.before).size() > 48) std::abort();
    }
    return 0;
}
