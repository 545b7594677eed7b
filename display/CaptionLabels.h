#pragma once

#include <QLabel>
#include <array>

#include "Frame.h"
#include "LoadNames.h"

namespace zorvane {

// Puts loaded lamp names on the name labels Label1..Label64.
class CaptionLabels : public CaptionSink {
  public:
    // labels[n - 1] is Label n.
    explicit CaptionLabels(const std::array<QLabel*, kLampCount>& labels) : labels_(labels) {}

    // Line ends left in the caption show nothing, so they are dropped; the label then fits
    // its text.
    void SetCaption(int label, const std::string& caption) override;

  private:
    std::array<QLabel*, kLampCount> labels_;
};

}  // namespace zorvane
