#pragma once

class QWidget;

namespace zorvane {

class TRead;

// What the port lifecycle needs from the main window.
class PortHost {
  public:
    virtual ~PortHost() = default;
    virtual void SetPortSelectPending(bool pending) = 0;
    // Disable and enable Timer1: its next tick comes a full interval later.
    virtual void RestartTimer1() = 0;
    // Runs on the user-interface thread while the reader waits.
    virtual void ShowFrame(const TRead& reader) = 0;
    // Parent of the port dialog and the question box.
    virtual QWidget* DialogParent() = 0;
};

}  // namespace zorvane
