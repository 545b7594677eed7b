#include "E2eFixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "Poll.h"

namespace zorvane::e2e {

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool IsCharDevice(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

std::string CurrentTestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/') c = '_';
    return name;
}

}  // namespace

FrameData ParseHex16(const std::string& hex) {
    FrameData data{};
    for (std::size_t i = 0; i < data.data.size() && 2 * i + 1 < hex.size(); ++i)
        data.data[i] = static_cast<std::uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    return data;
}

void E2eTest::SetUp() {
    if (FindInPath("Xvfb").empty()) GTEST_SKIP() << "needs an X server: install the package xvfb";
    if (!Keys::Available()) GTEST_SKIP() << "needs key presses: install the package xdotool";
    ASSERT_FALSE(dir_.Path().empty()) << "no temporary directory";
    xvfb_ = std::make_unique<Xvfb>();
    ASSERT_TRUE(xvfb_->Ok()) << xvfb_->Error();
    x_ = std::make_unique<XDisplay>(xvfb_->Display());
    ASSERT_TRUE(x_->Ok()) << "cannot connect to " << xvfb_->Display();
    keys_ = std::make_unique<Keys>(xvfb_->Display());
}

void E2eTest::TearDown() {
    if (!HasFailure()) CloseProgramLikeAUser();
    if (HasFailure() && xvfb_ && xvfb_->Ok()) {
        const std::string dir = ZORVANE_E2E_ARTIFACTS;
        std::filesystem::create_directories(dir);
        const std::string png = dir + "/" + CurrentTestName() + ".png";
        ChildSpec shot;
        shot.argv = {FindInPath("import"), "-window", "root", png};
        shot.env = {{"DISPLAY", xvfb_->Display()}};
        if (!shot.argv[0].empty() && RunToEnd(shot, 10s) == 0)
            std::cerr << "screen at failure: " << png << "\n";
        std::cerr << "windows: " << (x_ ? Describe(x_->Visible()) : "") << "\n";
        std::cerr << "zorvane said:\n" << ReadFile(dir_.File("zorvane.log")) << "\n";
        std::cerr << "zorvane-sim said:\n" << ReadFile(dir_.File("sim.log")) << "\n";
    }
    program_.reset();  // before the transmitter: the program must never see it vanish first
    sim_.reset();
    pty_.reset();
    keys_.reset();
    x_.reset();
    xvfb_.reset();
}

void E2eTest::CloseProgramLikeAUser() {
    if (!program_ || program_->Exited()) return;
    const std::vector<TopWindow> windows = x_->Visible();
    for (const TopWindow& w : windows)
        if (w.dialog) return;  // a modal window is up: the main window takes no close request
    for (const TopWindow& w : windows) {
        if (w.title != "Zorvane") continue;
        ASSERT_TRUE(x_->RequestClose(w.id));
        ASSERT_TRUE(program_->WaitExit(kExit)) << "still running after the window was closed";
        // A sanitizer's report at exit shows here as a non-zero status.
        EXPECT_EQ(program_->ExitStatus(), 0) << "after closing the window";
        return;
    }
}

void E2eTest::StartSimOnCom1(const std::string& pattern) {
    ChildSpec spec;
    // Its own link name: when it ends and removes it, COM1 dangles instead of vanishing.
    spec.argv = {ZORVANE_SIM_BIN, "--pattern", "fixed:" + pattern, "--link", "./sim-pty"};
    spec.cwd = dir_.Path();
    spec.outputFile = dir_.File("sim.log");
    sim_ = std::make_unique<Child>(spec);
    ASSERT_TRUE(dir_.Link(1, "sim-pty"));
    ASSERT_TRUE(PollUntil(10s, [&] { return IsCharDevice(dir_.File("sim-pty")); }))
        << "zorvane-sim did not link its pseudo-terminal:\n"
        << ReadFile(dir_.File("sim.log"));
}

void E2eTest::StopSim() {
    ASSERT_TRUE(sim_);
    sim_->Stop();
    EXPECT_EQ(sim_->ExitStatus(), 0) << ReadFile(dir_.File("sim.log"));
}

void E2eTest::StartProgram() {
    ChildSpec spec;
    spec.argv = {ZORVANE_BIN};
    spec.cwd = dir_.Path();
    spec.outputFile = dir_.File("zorvane.log");
    // The test itself runs with the offscreen platform; the program gets the real server.
    spec.env = {{"DISPLAY", xvfb_->Display()}, {"QT_QPA_PLATFORM", "xcb"}};
    program_ = std::make_unique<Child>(spec);
    ASSERT_TRUE(program_->Started());
}

std::optional<TopWindow> E2eTest::WaitForWindow(const std::function<bool(const TopWindow&)>& match,
                                                std::chrono::milliseconds limit) {
    std::optional<TopWindow> found;
    PollUntil(limit, [&] {
        for (const TopWindow& w : x_->Visible())
            if (match(w)) found = w;
        // A program that ended shows nothing more.
        return found.has_value() || (program_ && program_->Exited());
    });
    return found;
}

std::optional<TopWindow> E2eTest::WaitForPortDialog() {
    return WaitForWindow([](const TopWindow& w) { return w.title == "Choose port"; });
}

std::optional<TopWindow> E2eTest::WaitForMainWindow() {
    return WaitForWindow([](const TopWindow& w) { return w.title == "Zorvane" && !w.dialog; });
}

std::optional<TopWindow> E2eTest::WaitForMessageBox() {
    return WaitForWindow([](const TopWindow& w) { return w.dialog && w.title != "Choose port"; });
}

bool E2eTest::PortDialogShown() {
    for (const TopWindow& w : x_->Visible())
        if (w.title == "Choose port") return true;
    return false;
}

std::string E2eTest::WaitForForm(unsigned long window,
                                 const std::function<std::string(const Form1View&)>& check,
                                 std::chrono::milliseconds limit) {
    std::string complaint = "window not captured";
    PollUntil(limit, [&] {
        WindowImage image = x_->Capture(window);
        if (image.Empty()) return false;
        lastImage_ = std::move(image);
        complaint = check(Form1View(lastImage_));
        return complaint.empty();
    });
    return complaint;
}

TopWindow E2eTest::OpenCom1AndWaitForFrames(const FrameData& data) {
    const auto dialog = WaitForPortDialog();
    EXPECT_TRUE(dialog) << "no \"Choose port\" dialog; windows: " << Describe(x_->Visible());
    if (!dialog) return {};
    EXPECT_TRUE(keys_->Press(dialog->id, {"Return"}));
    const auto main = WaitForMainWindow();
    EXPECT_TRUE(main) << "no main window";
    if (!main) return {};
    const std::string complaint = WaitForForm(main->id, [&](const Form1View& view) {
        std::string problem = view.LampMismatches(data);
        if (view.Indicator() != Form1View::Link::Alive) problem += " prijem not green";
        return problem;
    });
    EXPECT_EQ(complaint, "") << "lamps or indicator never matched the frames sent";
    return *main;
}

std::string E2eTest::Describe(const std::vector<TopWindow>& windows) const {
    std::string out;
    for (const TopWindow& w : windows) {
        out += "[\"" + w.title + "\"" + (w.dialog ? " dialog" : "") + " " +
               std::to_string(w.width) + "x" + std::to_string(w.height) + "+" +
               std::to_string(w.x) + "+" + std::to_string(w.y) + "] ";
    }
    return out.empty() ? "none" : out;
}

}  // namespace zorvane::e2e
