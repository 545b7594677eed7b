#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Child.h"
#include "Form1View.h"
#include "Keys.h"
#include "PortDir.h"
#include "Pty.h"
#include "XDisplay.h"
#include "Xvfb.h"

namespace zorvane::e2e {

using namespace std::chrono_literals;

// Generous: a busy build machine may take seconds to start a Qt program.
inline constexpr auto kAppear = 15s;
inline constexpr auto kExit = 5s;

// Each test: its own X server, its own directory with COM1..COM4 links, the real zorvane.
// Teardown closes the program's window as a user would (or kills it), then ends the
// transmitter, then the server.
class E2eTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // zorvane-sim sending `pattern` (16 hex digits) on a pseudo-terminal; COM1 points at it.
    void StartSimOnCom1(const std::string& pattern);
    void StopSim();
    void StartProgram();
    // Closes the main window when nothing modal is up, and expects a clean exit.
    void CloseProgramLikeAUser();

    // The first mapped window `match` accepts, within `limit`.
    std::optional<TopWindow> WaitForWindow(const std::function<bool(const TopWindow&)>& match,
                                           std::chrono::milliseconds limit = kAppear);
    std::optional<TopWindow> WaitForPortDialog();
    std::optional<TopWindow> WaitForMainWindow();
    // A dialog that is neither the port dialog nor the main window (a message box).
    std::optional<TopWindow> WaitForMessageBox();
    bool PortDialogShown();
    // Captures the main window until `check` returns an empty string; the last complaint
    // otherwise (the capture stays in lastImage_ for further checks).
    std::string WaitForForm(unsigned long window,
                            const std::function<std::string(const Form1View&)>& check,
                            std::chrono::milliseconds limit = kAppear);
    // Dialog, Return, frames of `data` on every lamp and a green indicator; the main window.
    TopWindow OpenCom1AndWaitForFrames(const FrameData& data);

    std::string Describe(const std::vector<TopWindow>& windows) const;

    std::unique_ptr<Xvfb> xvfb_;
    std::unique_ptr<XDisplay> x_;
    std::unique_ptr<Keys> keys_;
    PortDir dir_;
    std::unique_ptr<Pty> pty_;
    std::unique_ptr<Child> sim_;
    std::unique_ptr<Child> program_;
    WindowImage lastImage_;
};

// "018055A9F03C817E" -> the eight data bytes.
FrameData ParseHex16(const std::string& hex);

}  // namespace zorvane::e2e
