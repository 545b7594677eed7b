#include "Lamp.h"

#include <QWidget>

#include "LampPanel.h"

namespace zorvane {

Lamp::Lamp(int number, QRect geometry, const LampPanel* panel, QObject* window)
    : QObject(window),
      number_(number),
      geometry_(geometry),
      panel_(panel),
      // Named by its number until names.ini gives it the name beside it.
      name_(QStringLiteral("Lampa %1").arg(number)),
      description_(name_) {
    setObjectName(QStringLiteral("Shape%1").arg(number));
}

bool Lamp::IsOn() const {
    return panel_ && panel_->IsOn(number_);
}

QWidget* Lamp::Window() const {
    return static_cast<QWidget*>(parent());
}

}  // namespace zorvane
