#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QString>

class QPainter;

namespace zorvane {

// Draws a line of text from the glyphs of its words, each word laid out the first time it is
// drawn: the hex fields get a new text for nearly every paint but from only 256 words, so
// after the first frames a paint lays out no text. The glyphs stand where QPainter::drawText
// puts them, for fonts that do not kern across a space.
class WordGlyphs {
  public:
    // Draws `line` in `font`, the left end of its baseline at `origin`.
    void Draw(QPainter& painter, QPointF origin, const QString& line, const QFont& font);

  private:
    struct Word {
        QList<QGlyphRun> runs;  // placed from the word's start on the baseline
        qreal advance = 0;
    };
    const Word& Laid(QStringView word);

    QFont font_;
    qreal spaceAdvance_ = 0;
    QHash<QString, Word> words_;
    // Reused from paint to paint, so a paint allocates nothing.
    QList<quint32> glyphs_;
    QList<QPointF> positions_;
};

}  // namespace zorvane
