#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

namespace zorvane {

class LampPanel;

// One lamp of the window (objectName Shape1..Shape64): where it stands, what it is called and
// whether the last frame lights it. An object, not a widget: the lamp panel draws all lamps in
// one paint, and assistive technology still finds each lamp as a control of its own.
class Lamp : public QObject {
    Q_OBJECT
    Q_PROPERTY(QRect geometry READ geometry CONSTANT)

  public:
    // Lamp `number` (1..64) at `geometry` in the window, lit as `panel` shows it.
    Lamp(int number, QRect geometry, const LampPanel* panel, QObject* window);

    int Number() const { return number_; }
    QRect geometry() const { return geometry_; }
    // Lit (red) as the last frame shown says, whether or not that is drawn yet.
    bool IsOn() const;
    // The window the lamp stands in.
    QWidget* Window() const;

    QString AccessibleName() const { return name_; }
    void SetAccessibleName(const QString& name) { name_ = name; }
    QString AccessibleDescription() const { return description_; }

  private:
    int number_;
    QRect geometry_;
    QPointer<const LampPanel> panel_;  // the window's children go in any order
    QString name_;
    QString description_;
};

}  // namespace zorvane
