#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <vector>
#include "TextField.h"

#include "MainWindow.h"
#include "ShapeWidget.h"

namespace zorvane::test {

// A Form1 built in an empty temporary directory (no names.ini), with its message box recorded
// instead of shown.
class FormFixture : public testing::Test {
  protected:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "display-test";
        static char* argv[] = {name, nullptr};
        // Never reach for a real display, even when run outside CTest.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        if (QApplication::instance() == nullptr) new QApplication(argc, argv);  // lives for the run
        ASSERT_TRUE(dir_.isValid());
        previousDir_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir_.path()));
    }
    void TearDown() override {
        form_.reset();
        QDir::setCurrent(previousDir_);
    }

    MainWindow& MakeForm() {
        form_ = std::make_unique<MainWindow>(
            [this](QWidget*, const QString& text, const QString&) { messages_.push_back(text); });
        return *form_;
    }

    template <typename T>
    T* Child(const QString& name) {
        T* child = form_->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name.toStdString();
        return child;
    }
    ShapeWidget* Lamp(int n) { return Child<ShapeWidget>(QStringLiteral("Shape%1").arg(n)); }
    ShapeWidget* Prijem() { return Child<ShapeWidget>(QStringLiteral("prijem")); }
    QLabel* Label(int n) { return Child<QLabel>(QStringLiteral("Label%1").arg(n)); }
    TextField* Edit(int n) { return Child<TextField>(QStringLiteral("Edit%1").arg(n)); }
    QTimer* Timer1() { return Child<QTimer>(QStringLiteral("Timer1")); }

    QTemporaryDir dir_;
    QString previousDir_;
    std::unique_ptr<MainWindow> form_;
    std::vector<QString> messages_;
};

}  // namespace zorvane::test
