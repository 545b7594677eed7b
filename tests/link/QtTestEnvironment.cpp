#include <QApplication>
#include <memory>

#include <gtest/gtest.h>

namespace {

// One application object for the whole test program, created after gtest has parsed its flags.
class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        // Runs without a display also when started by hand or by a runner that sets nothing.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[16] = "link_ui_test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kQt =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
