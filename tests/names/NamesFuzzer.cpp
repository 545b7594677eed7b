// Any bytes as a names text: the scan must stay in its buffers and hand out captions that are
// whole UTF-8 within their byte limits, whether or not the read limit cut the text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "NamesScan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const bool cutByReadLimit : {false, true}) {
        const zorvane::NamesScan scan = zorvane::ScanNames(text, cutByReadLimit);
        const std::size_t limit = scan.encoding == zorvane::TextEncoding::kUtf8 ? 12 : 36;
        for (const auto& caption : scan.captions) {
            if (!caption) continue;
            const std::string whole =
                zorvane::DecodeCaption(*caption, zorvane::TextEncoding::kUtf8);
            if (whole != *caption || caption->size() > limit) __builtin_trap();
        }
    }
    return 0;
}
