// Any bytes as a names file: the loader must stay in its buffers and hand out captions that are
// whole UTF-8 within their byte limits.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "DisplayCaption.h"
#include "NamesScan.h"
#include "NamesText.h"
#include "Utf8.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    const zorvane::NamesText text = zorvane::TextFromBytes(raw);
    Check(text.bytes.size() <= zorvane::kTextLimit);
    const zorvane::NamesScan scan = zorvane::ScanNames(text.bytes);
    const bool utf8 = scan.encoding == zorvane::TextEncoding::kUtf8;
    for (const auto& caption : scan.captions) {
        if (!caption) continue;
        Check(zorvane::IsValidUtf8(*caption));
        Check(caption->size() <= (utf8 ? 12u : 36u));
        Check(zorvane::DisplayCaption(*caption).find_first_of("\r\n") == std::string::npos);
    }
    return 0;
}
