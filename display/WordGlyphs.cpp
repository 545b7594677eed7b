#include "WordGlyphs.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

namespace zorvane {

void WordGlyphs::Draw(QPainter& painter, QPointF origin, const QString& line, const QFont& font) {
    if (font != font_ || words_.isEmpty()) {
        words_.clear();
        font_ = font;
        spaceAdvance_ = QFontMetricsF(font).horizontalAdvance(QLatin1Char(' '));
    }
    QGlyphRun batch;  // the glyphs of one font, drawn together
    const auto drawBatch = [&] {
        if (glyphs_.isEmpty()) return;
        batch.setRawData(glyphs_.constData(), positions_.constData(), glyphs_.size());
        painter.drawGlyphRun(origin, batch);
        glyphs_.clear();
        positions_.clear();
    };
    qreal x = 0;
    for (const QStringView word : QStringView(line).tokenize(QLatin1Char(' '))) {
        const Word& laid = Laid(word);
        for (const QGlyphRun& run : laid.runs) {
            if (run.rawFont() != batch.rawFont()) {
                drawBatch();
                batch.setRawFont(run.rawFont());
            }
            glyphs_.append(run.glyphIndexes());
            for (const QPointF& at : run.positions())
                positions_.append(at + QPointF(x, 0));
        }
        x += laid.advance + spaceAdvance_;
    }
    drawBatch();
}

const WordGlyphs::Word& WordGlyphs::Laid(QStringView word) {
    // A lookup by the line's own characters: only a word seen for the first time is copied.
    const QString key = QString::fromRawData(word.data(), word.size());
    if (const auto found = words_.constFind(key); found != words_.cend()) return *found;
    QTextLayout layout(word.toString(), font_);
    layout.beginLayout();
    const QTextLine textLine = layout.createLine();
    layout.endLayout();
    Word laid;
    laid.advance = QFontMetricsF(font_).horizontalAdvance(word.toString());
    for (QGlyphRun run : layout.glyphRuns()) {
        QList<QPointF> positions = run.positions();
        for (QPointF& at : positions)
            at.ry() -= textLine.ascent();
        run.setPositions(positions);
        laid.runs.append(run);
    }
    return *words_.insert(word.toString(), laid);
}

}  // namespace zorvane
