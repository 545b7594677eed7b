#include "CaptionLabels.h"

namespace zorvane {

void CaptionLabels::SetCaption(int label, const std::string& caption) {
    if (label < 1 || label > kLampCount) return;
    QString text = QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    QLabel* target = labels_[label - 1];
    target->setText(text);
    target->adjustSize();
}

}  // namespace zorvane
