#include "LoadNames.h"

#include "NamesScan.h"
#include "NamesText.h"

namespace zorvane {

namespace {

// Labels that receive no name keep their captions.
void HandCaptions(const NamesScan& scan, CaptionSink& sink) {
    for (int label = 1; label <= kNameCount; ++label) {
        const auto& caption = scan.captions[label - 1];
        if (caption) sink.SetCaption(label, *caption);
    }
}

}  // namespace

void LoadNames(int fd, CaptionSink& sink) {
    HandCaptions(ScanNames(ReadNamesText(fd).bytes), sink);
}

bool LoadNamesFile(const std::string& path, CaptionSink& sink) {
    const std::optional<NamesText> text = ReadNamesFile(path);
    if (!text) return false;
    HandCaptions(ScanNames(text->bytes), sink);
    return true;
}

}  // namespace zorvane
