#pragma once

namespace zorvane {

// Process-wide values of the port dialog; the user-interface thread alone uses them.
extern int PortChoice;  // port chosen in the dialog, 1..4; 1 whenever a dialog is created
extern bool
    CancelPressed;  // set by the dialog's Cancel button; cleared when the main window is created

}  // namespace zorvane
