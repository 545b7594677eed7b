#include <QApplication>
#include <memory>

#include <gtest/gtest.h>

namespace {

// One application object for the whole test program, created after gtest has parsed its flags.
class StressEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        // Runs without a display also when started by hand.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc_, argv_);
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[16] = "stress_test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new StressEnvironment);

}  // namespace
