// Every command of the main window, free of any window toolkit. The Qt window forwards its
// events here; the command line and the tests call the same members.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/Desktop.h"
#include "app/Session.h"
#include "app/UserInterface.h"

namespace tarnwerk {

class Commands {
public:
    Commands(Session& session, UserInterface& ui, Desktop& desktop);

    // Carrier and data file (main window).
    bool LoadCarrier(const std::string& path);        // validate, fill fields; shows its messages
    void SelectCarrier();                             // cmdOrigSel_Click
    void SelectDataFile();                            // cmdDataSel_Click
    void DropCarrier(const std::vector<std::string>& files);   // only exactly one file counts
    void DropDataFile(const std::vector<std::string>& files);
    void Reset();                                     // mnuDateiReset_Click
    void Activate();                                  // Form_Activate: reload carrier, status panels
    void SetDataFile(const std::string& path);        // typed or given path (CLI)

    // Long commands; true on success. The front-end runs one at a time.
    bool Hide();
    bool Extract();
    bool Export();
    bool CalculateSize();
    bool SendCarrier();
    bool HideAndSend();

    // Hand-offs.
    void ShowCarrier();  // mnuDateiCarrierView_Click
    void ShowHelp();     // mnuHilfeHelp_Click

    // Options dialog: Save writes the nine keys, updates the session (also when a write
    // failed, then SettingsNotSavedText is shown once); closing the dialog recomputes LanguageBase.
    // The dialog is not reachable while a long command runs.
    void SaveOptions(const SettingsRecord& record);
    void OptionsClosed();

    // Window position at exit (twips), written to [Global].
    void SaveWindowPosition(double topTwips, double leftTwips);

private:
    Session& session_;
    UserInterface& ui_;
    Desktop& desktop_;
};

}  // namespace tarnwerk
