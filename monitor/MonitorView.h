#pragma once

#include <string>

#include "ChangeLog.h"
#include "LineEvent.h"

class QWidget;

namespace zorvane {

// What the monitor's controller needs from its window.
class MonitorView {
  public:
    virtual ~MonitorView() = default;
    // Run on the user-interface thread while the reader waits.
    virtual void ShowFrame(const LineEvent& frame) = 0;
    // The line has been silent for kSilenceLimit.
    virtual void ShowLinkDown() = 0;
    // How the line itself fares, at most once a second.
    virtual void ShowLineHealth(const LineHealth& health) = 0;
    // The open port's device went away and is waited for (`device`), or is back (empty).
    virtual void ShowPortWaiting(const std::string& device) = 0;

    // A port is open; `name` says which ("COM1 (/dev/ttyUSB0)", or a device's name).
    virtual void ShowOpenPort(const std::string& name) = 0;
    // The user wants another port: show a fresh dialog on the watchdog's next tick.
    virtual void ChooseAnotherPortLater() = 0;
    // Parent of the port dialog and the question box.
    virtual QWidget* DialogParent() = 0;
    // The record cannot be written, and why, in Czech (`trouble`); or it can again (empty).
    virtual void ShowRecordTrouble(const std::string& trouble) = 0;

    // For the record: the names file read, as an absolute path (empty when none was), and the
    // names shown beside the lamps.
    struct ShownNames {
        std::string file;
        LampCaptions besideLamps;
    };
    virtual ShownNames NamesShown() const = 0;
};

}  // namespace zorvane
