// Any bytes as a names text: the scan must stay in its buffers and hand out captions that are
// whole UTF-8 of at most 12 characters, whether or not the read limit cut the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "NamesScan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const bool cutByReadLimit : {false, true}) {
        const zorvane::NamesScan scan = zorvane::ScanNames(text, cutByReadLimit);
        for (const auto& caption : scan.captions) {
            if (!caption) continue;
            const std::string whole =
                zorvane::DecodeCaption(*caption, zorvane::TextEncoding::kUtf8);
            const auto characters = std::count_if(caption->begin(), caption->end(),
                                                  [](char c) { return (c & 0xC0) != 0x80; });
            if (whole != *caption || characters > 12) __builtin_trap();
        }
    }
    return 0;
}
