#include "Accessibility.h"

#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QBackingStore>
#include <QList>
#include <QPaintEngine>
#include <QPainter>
#include <QWindow>

#include "Lamp.h"
#include "LampColors.h"
#include "LampPanel.h"
#include "MainWindow.h"
#include "ShapeWidget.h"
#include "TextField.h"

namespace zorvane {

namespace {

// A lamp: a check box that only shows (checked when red). It tells what a widget in its place
// would: shown and enabled with its window, no actions, no children.
class LampAccessible : public QAccessibleObject, public QAccessibleActionInterface {
  public:
    explicit LampAccessible(Lamp* lamp) : QAccessibleObject(lamp) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return QAccessibleObject::interface_cast(type);
    }

    QAccessible::Role role() const override { return QAccessible::CheckBox; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.invisible = !Form()->isVisible();
        state.disabled = !Form()->isEnabled();
        state.readOnly = true;
        state.checkable = true;
        state.checked = TheLamp()->IsOn();
        return state;
    }
    QString text(QAccessible::Text kind) const override {
        switch (kind) {
            case QAccessible::Name:
                return TheLamp()->AccessibleName();
            case QAccessible::Description:
                return TheLamp()->AccessibleDescription();
            default:
                return {};
        }
    }
    QRect rect() const override {
        const QRect place = TheLamp()->geometry();
        return {Form()->mapToGlobal(place.topLeft()), place.size()};
    }
    QWindow* window() const override { return Form()->windowHandle(); }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(Form());
    }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QStringList actionNames() const override { return {}; }
    void doAction(const QString&) override {}
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    Lamp* TheLamp() const { return static_cast<Lamp*>(object()); }
    QWidget* Form() const { return TheLamp()->Window(); }
};

// The link indicator: its state in words, as the colour tells it.
class ShapeAccessible : public QAccessibleWidget {
  public:
    explicit ShapeAccessible(ShapeWidget* shape)
        : QAccessibleWidget(shape, QAccessible::StatusBar) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        return state;
    }

    // The state in a word, and in the description the line's health after it.
    QString text(QAccessible::Text kind) const override {
        if (kind != QAccessible::Description && kind != QAccessible::Value)
            return QAccessibleWidget::text(kind);
        const QString state = Shape()->FillColor() == LinkAliveColor ? QStringLiteral("vysílá")
                                                                     : QStringLiteral("nevysílá");
        QString health = Shape()->accessibleDescription();
        // One line: a tool that reads the tree a control a line finds it whole.
        health.replace('\n', QStringLiteral(". "));
        return kind == QAccessible::Value || health.isEmpty() ? state : state + ". " + health;
    }

  private:
    ShapeWidget* Shape() const { return static_cast<ShapeWidget*>(widget()); }
};

// A hex field: read-only text that can be read, selected and copied.
class TextFieldAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit TextFieldAccessible(TextField* field)
        : QAccessibleWidget(field, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.selectableText = true;
        return state;
    }

    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Value ? Field()->text() : QAccessibleWidget::text(kind);
    }

    void selection(int index, int* start, int* end) const override {
        const bool any = index == 0 && selectionCount() == 1;
        *start = any ? Field()->SelectionStart() : 0;
        *end = any ? Field()->SelectionEnd() : 0;
    }
    int selectionCount() const override {
        return Field()->SelectionStart() == Field()->SelectionEnd() ? 0 : 1;
    }
    void addSelection(int start, int end) override { Field()->SetSelection(start, end); }
    void removeSelection(int) override { Field()->SetSelection(0, 0); }
    void setSelection(int, int start, int end) override { Field()->SetSelection(start, end); }
    int cursorPosition() const override { return Field()->SelectionEnd(); }
    void setCursorPosition(int position) override { Field()->SetSelection(position, position); }
    QString text(int start, int end) const override {
        return Field()->text().mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(Field()->text().size()); }
    QRect characterRect(int offset) const override {
        const QRect rect = Field()->CharacterRect(offset);
        return {Field()->mapToGlobal(rect.topLeft()), rect.size()};
    }
    int offsetAtPoint(const QPoint& point) const override {
        return Field()->OffsetAt(Field()->mapFromGlobal(point).x());
    }
    void scrollToSubstring(int, int) override {}  // the whole text is always in view
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

  private:
    TextField* Field() const { return static_cast<TextField*>(widget()); }
};

// The main window as a frame whose children are the controls shown, in the order they were
// made: the lamps among them, the panel that draws the lamps not; the warning only while it
// is visible, the hidden status field never.
class FormAccessible : public QAccessibleWidget {
  public:
    explicit FormAccessible(QWidget* form) : QAccessibleWidget(form, QAccessible::Window) {}

    int childCount() const override { return static_cast<int>(Shown().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QObject*> shown = Shown();
        return index >= 0 && index < shown.size()
                   ? QAccessible::queryAccessibleInterface(shown[index])
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child == nullptr ? -1 : static_cast<int>(Shown().indexOf(child->object()));
    }

  private:
    QList<QObject*> Shown() const {
        QList<QObject*> shown;
        for (QObject* child : widget()->children()) {
            if (qobject_cast<Lamp*>(child) != nullptr) {
                shown.append(child);
            } else if (auto* control = qobject_cast<QWidget*>(child);
                       control != nullptr && !control->isWindow() && !control->isHidden() &&
                       qobject_cast<LampPanel*>(control) == nullptr) {
                shown.append(control);
            }
        }
        return shown;
    }
};

QAccessibleInterface* Describe(const QString&, QObject* object) {
    if (auto* lamp = qobject_cast<Lamp*>(object)) return new LampAccessible(lamp);
    if (auto* shape = qobject_cast<ShapeWidget*>(object)) return new ShapeAccessible(shape);
    if (auto* field = qobject_cast<TextField*>(object)) return new TextFieldAccessible(field);
    if (auto* form = qobject_cast<MainWindow*>(object)) return new FormAccessible(form);
    return nullptr;
}

}  // namespace

void InstallAccessibility() {
    static const bool installed = (QAccessible::installFactory(&Describe), true);
    (void)installed;
}

bool PaintsTheWindow(const QWidget& widget, const QPainter& painter) {
    QBackingStore* store = widget.backingStore();
    return store != nullptr && painter.paintEngine()->paintDevice() == store->paintDevice();
}

void AnnounceLampDrawn(Lamp* lamp) {
    if (!QAccessible::isActive()) return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(lamp, changed);
    QAccessible::updateAccessibility(&event);
}

void AnnounceShapeDrawn(ShapeWidget* shape) {
    if (!QAccessible::isActive()) return;
    QAccessibleEvent event(shape, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

void AnnounceTextDrawn(TextField* field, const QString& before) {
    if (!QAccessible::isActive()) return;
    QAccessibleTextUpdateEvent event(field, 0, before, field->text());
    QAccessible::updateAccessibility(&event);
}

void AnnounceTreeChange(QWidget* control) {
    if (!QAccessible::isActive()) return;
    QAccessibleEvent event(
        control, control->isHidden() ? QAccessible::ObjectDestroyed : QAccessible::ObjectCreated);
    QAccessible::updateAccessibility(&event);
}

}  // namespace zorvane
