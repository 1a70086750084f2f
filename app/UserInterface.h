// What the window's commands (Commands) need from the window itself, on the window's thread:
// messages, the carrier and data dialogs, the status bar and the fields. A running use case
// never sees it; it has the Prompter and the ProgressSink (Prompter.h).
#pragma once

#include <string>
#include <vector>

#include "app/Messages.h"
#include "config/Settings.h"

namespace tarnwerk {

class UserInterface {
public:
    virtual ~UserInterface() = default;

    virtual MessageAnswer ShowMessage(const Message& message) = 0;

    // File choice dialogs; "" when cancelled. The carrier dialog requires an existing file,
    // the data dialog accepts a new name.
    virtual std::string ChooseCarrierFile(const std::vector<FileFilter>& filter, const std::string& title) = 0;
    virtual std::string ChooseDataFile(const std::vector<FileFilter>& filter, const std::string& title) = 0;
    // Where a hide that keeps the original writes its result: a save dialog proposing a path;
    // "" when cancelled (also for a front-end without one).
    virtual std::string ChooseResultFile(const std::vector<FileFilter>& filter, const std::string& title,
                                         const std::string& proposed) {
        (void)filter, (void)title, (void)proposed;
        return {};
    }

    // Status bar panel 0..3.
    virtual void SetStatus(int panel, const std::string& text) = 0;
    // The session's window fields changed; show them.
    virtual void FieldsChanged() = 0;
};

}  // namespace tarnwerk
