// Every command of the main window, free of any window toolkit. The Qt window forwards its
// events here. The long commands are use cases (UseCases.h): Commands picks the carrier and
// the files on the window's thread, builds the request, and shows the outcome afterwards.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Desktop.h"
#include "app/Prompter.h"
#include "app/Session.h"
#include "app/UserInterface.h"

namespace tarnwerk {

enum class LongCommand { Hide, HideAndSend, Extract, Export, NeededSize, SendCarrier };

// A long command ready to run. work touches nothing of the session, so it may run on another
// thread; finish then runs on the window's thread, shows the outcome and says whether the
// command succeeded.
struct PreparedCommand {
    std::function<void(Prompter&, ProgressSink&)> work;
    std::function<bool()> finish;
};

class Commands {
public:
    // prompter and progress serve the commands run at once (Run and the shortcuts below).
    Commands(Session& session, UserInterface& ui, Desktop& desktop, Prompter& prompter, ProgressSink& progress);

    // Carrier and data file (main window).
    bool LoadCarrier(const std::string& path);                // validate, fill fields; shows its messages
    void SelectCarrier();                                     // cmdOrigSel_Click
    void SelectDataFile();                                    // cmdDataSel_Click
    void DropCarrier(const std::vector<std::string>& files);  // only exactly one file counts
    void DropDataFile(const std::vector<std::string>& files);
    void Reset();                               // mnuDateiReset_Click
    void Activate();                            // Form_Activate: reload carrier, status panels
    void SetDataFile(const std::string& path);  // typed or given path

    // The carrier and files the command needs (dialogs open when they are missing); nullopt
    // when the user cancelled a dialog. The front-end runs one at a time.
    std::optional<PreparedCommand> Prepare(LongCommand command);
    // Prepare, work and finish at once; true on success.
    bool Run(LongCommand command);
    bool Hide() { return Run(LongCommand::Hide); }
    bool Extract() { return Run(LongCommand::Extract); }
    bool Export() { return Run(LongCommand::Export); }
    bool CalculateSize() { return Run(LongCommand::NeededSize); }
    bool SendCarrier() { return Run(LongCommand::SendCarrier); }
    bool HideAndSend() { return Run(LongCommand::HideAndSend); }

    // Hand-offs.
    void ShowCarrier();  // mnuDateiCarrierView_Click
    void ShowHelp();     // mnuHilfeHelp_Click

    // Options dialog: Save writes the Settings keys, updates the session (also when a write
    // failed, then SettingsNotSavedText is shown once); closing the dialog recomputes LanguageBase.
    // The dialog is not reachable while a long command runs.
    void SaveOptions(const SettingsRecord& record);
    void OptionsClosed();

    // Window position at exit (twips), written to [Global].
    void SaveWindowPosition(double topTwips, double leftTwips);

private:
    // The window's part of a finished command: its notices, then the end message unless
    // ShowEndMessage is off, then the reset when ResetOnEnd is on and mayReset allows it.
    bool Conclude(const Outcome& outcome, bool mayReset = true);
    bool EnsureCarrier();
    bool EnsureDataFile();
    // The new file a hide writes when the original is kept: nullopt when the user cancelled
    // the save dialog; an empty inner value when the hide writes into the carrier.
    std::optional<std::optional<std::string>> ChooseResultFile();
    std::optional<PreparedCommand> PrepareHide(bool thenSend);
    std::optional<PreparedCommand> PrepareExtract(bool exporting);
    std::optional<PreparedCommand> PrepareSize();
    std::optional<PreparedCommand> PrepareSend();
    MailRequest MailRequestFor(const std::string& carrier);
    bool FinishHide(const HideOutcome& outcome, bool mayReset);
    bool FinishExtract(const ExtractOutcome& outcome);

    Session& session_;
    UserInterface& ui_;
    Desktop& desktop_;
    Prompter& prompter_;
    ProgressSink& progress_;
};

}  // namespace tarnwerk
