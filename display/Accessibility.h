#pragma once

class QPainter;
class QString;
class QWidget;

namespace zorvane {

class Lamp;
class ShapeWidget;
class TextField;

// What assistive technology (screen readers, magnifiers, scripts that read AT-SPI) learns of the
// main window: each lamp a read-only check box named by the caption beside it, checked when
// red; the hex fields as read-only text; the link indicator's state in words; and only the
// controls that are shown.

// Lets the window's own widgets and lamps describe themselves. Before the first is created.
void InstallAccessibility();

// True when `painter`, begun on `widget`, draws into the window's pixels rather than a grab's.
bool PaintsTheWindow(const QWidget& widget, const QPainter& painter);

// A paint put a changed state on the screen. Assistive technology hears of a change when it is
// drawn, so never more often than the window is drawn (a busy line would otherwise send 436
// events a second), and of the state drawn.
void AnnounceLampDrawn(Lamp* lamp);
void AnnounceShapeDrawn(ShapeWidget* shape);
void AnnounceTextDrawn(TextField* field, const QString& before);
// A control of the main window was shown (it joins the tree) or hidden (it leaves it).
void AnnounceTreeChange(QWidget* control);

}  // namespace zorvane
