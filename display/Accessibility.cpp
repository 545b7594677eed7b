#include "Accessibility.h"

#include <QAccessibleWidget>
#include <QList>

#include "LampColors.h"
#include "MainWindow.h"
#include "ShapeWidget.h"
#include "TextField.h"

namespace zorvane {

namespace {

bool IsLamp(const ShapeWidget* shape) {
    return shape->ShapeKind() == ShapeWidget::Kind::Circle;
}

// A lamp: a check box that only shows (checked when red). The link indicator: its state in
// words, as the colour tells it.
class ShapeAccessible : public QAccessibleWidget {
  public:
    explicit ShapeAccessible(ShapeWidget* shape)
        : QAccessibleWidget(shape, IsLamp(shape) ? QAccessible::CheckBox : QAccessible::StatusBar) {
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        if (IsLamp(Shape())) {
            state.checkable = true;
            state.checked = Shape()->FillColor() == LampColorOn;
        }
        return state;
    }

    QString text(QAccessible::Text kind) const override {
        if (IsLamp(Shape()) || (kind != QAccessible::Description && kind != QAccessible::Value))
            return QAccessibleWidget::text(kind);
        return Shape()->FillColor() == LinkAliveColor ? QStringLiteral("vysílá")
                                                      : QStringLiteral("nevysílá");
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

// The main window as a frame whose children are the controls shown: the warning is there only
// while it is visible, the hidden status field never.
class FormAccessible : public QAccessibleWidget {
  public:
    explicit FormAccessible(QWidget* form) : QAccessibleWidget(form, QAccessible::Window) {}

    int childCount() const override { return static_cast<int>(Shown().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> shown = Shown();
        return index >= 0 && index < shown.size()
                   ? QAccessible::queryAccessibleInterface(shown[index])
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child == nullptr ? -1 : static_cast<int>(Shown().indexOf(child->object()));
    }

  private:
    QList<QWidget*> Shown() const {
        QList<QWidget*> shown;
        for (QObject* child : widget()->children())
            if (auto* control = qobject_cast<QWidget*>(child);
                control != nullptr && !control->isWindow() && !control->isHidden())
                shown.append(control);
        return shown;
    }
};

QAccessibleInterface* Describe(const QString&, QObject* object) {
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

void AnnounceShapeDrawn(ShapeWidget* shape) {
    if (!QAccessible::isActive()) return;
    if (IsLamp(shape)) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(shape, changed);
        QAccessible::updateAccessibility(&event);
        return;
    }
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
