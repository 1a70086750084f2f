// frmSteg, the main window: the two file groups, the progress bar, five buttons, the status
// bar and the menus. It renders the session's fields and forwards every event to Commands;
// through CommandThreadUi it shows the questions, dialogs and progress of a running use case. Long commands
// run on a worker thread while the window stays responsive; Cancel (in the Reset button's
// place while they run) stops them between two chunks of work.
#pragma once

#include <QMainWindow>
#include <array>
#include <cstdint>
#include <functional>

#include "app/Commands.h"
#include "app/Desktop.h"
#include "app/Session.h"
#include "app/UserInterface.h"
#include "ui/CommandThreadUi.h"
#include "ui/WindowDesktop.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QThread;
class QPushButton;

namespace tarnwerk {

class DialogHost;
class FileDropFilter;
class clsStatusBar;

class frmSteg : public QMainWindow, public UserInterface {
    Q_OBJECT
public:
    // Client area below the menu bar at its designed size, in pixels (7980 x 4515 twips); the
    // window may grow beyond it, never shrink below.
    static constexpr int kClientWidth = 532;
    static constexpr int kClientHeight = 301;

    frmSteg(Session& session, Desktop& desktop, DialogHost& host, QWidget* parent = nullptr);
    ~frmSteg() override;

    // The activation refresh the window runs once it is shown.
    void Start();
    // Window position in twips, as the settings file keeps it.
    void MoveToTwips(int32_t leftTwips, int32_t topTwips);
    // Captions of the current language, with the label columns fitted to them.
    void ApplyCaptions();

    Commands& commands() { return commands_; }
    clsStatusBar& statusBar() { return *statusBar_; }
    QProgressBar& progressBar() { return *progressBar_; }
    // A long command runs on the worker thread (the input controls are locked meanwhile).
    bool commandRunning() const { return worker_ != nullptr; }

    // UserInterface: what the window's commands need, on the window's thread.
    MessageAnswer ShowMessage(const Message& message) override;
    std::string ChooseCarrierFile(const std::vector<FileFilter>& filter, const std::string& title) override;
    std::string ChooseDataFile(const std::vector<FileFilter>& filter, const std::string& title) override;
    std::string ChooseResultFile(const std::vector<FileFilter>& filter, const std::string& title,
                                 const std::string& proposed) override;
    void SetStatus(int panel, const std::string& text) override;
    void FieldsChanged() override;

    // What a running use case asks and reports, through CommandThreadUi, on the window's thread.
    bool AskQuestion(Question question);
    std::string ChooseOutputFile(const OutputChoice& choice);
    std::optional<std::string> AskNewPassphrase();
    std::optional<std::string> AskPassphrase();
    std::optional<std::string> AskStealthPassphrase();  // with the reason it is asked
    void ShowProgress(int percent);
    void ShowStatusText(TextId textId);
    void SetCancellable(bool cancellable);
    void SetBusy(bool busy);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The extraction passphrase dialog with a line saying why it asks ("" for none).
    std::optional<std::string> AskPassphraseSaying(const std::string& prompt);
    void BuildCarrierGroup(QWidget* client);
    void BuildDataGroup(QWidget* client);
    void BuildProcessRow(QWidget* client);
    void BuildMenus();
    void FitLabelColumns();
    // Every control at its designed place, the label columns fitted to their texts, and the
    // extra width of a larger window given to the groups and the path fields.
    void ArrangeControls();
    // After a command the keyboard focus goes where the user most likely continues, never to
    // Exit, and its frame shows.
    void FocusNextStep();
    // The folder of a file chosen in a dialog, where the next dialog opens.
    void RememberFolder(const QString& chosen);

    // Event handlers, named after the controls they belong to.
    void cmdOrigSel_Click();
    void cmdDataSel_Click();
    void txtDataFile_EditingFinished();
    void mnuExtrasOptionen_Click();
    void mnuHilfeInfo_Click();
    void mnuDateiBeenden_Click();

    // A typed data path reaches the session before any command reads it.
    void TakeTypedDataFile();
    // Runs a short command on the window's thread.
    void Run(const std::function<void()>& command);
    // Picks what a long command needs here, then runs it on the worker thread; none starts
    // while another one runs.
    void RunOnWorker(LongCommand command);
    void CommandEnded();
    // Input controls and changing menu entries off, Cancel in Reset's place, while busy.
    void Lock(bool busy);
    void cmdCancel_Click();
    // Asked when the window closes during a command: true when the user wants it cancelled.
    bool AskToCancelForClose();

    Session& session_;
    WindowDesktop desktop_;
    DialogHost& host_;
    CommandThreadUi threadUi_;  // what the workflows talk to, from whichever thread
    Commands commands_;
    QWidget* client_ = nullptr;
    QString lastFolder_;  // folder of the file chosen last in any file dialog

    QLineEdit* txtOrigFile_ = nullptr;
    QLineEdit* txtOTyp_ = nullptr;
    QLineEdit* txtOSize_ = nullptr;
    QLineEdit* txtOFree_ = nullptr;
    QLineEdit* txtDataFile_ = nullptr;
    QLineEdit* txtDOrigSize_ = nullptr;
    QLineEdit* txtDSize_ = nullptr;
    QPushButton* cmdOrigSel_ = nullptr;
    QPushButton* cmdDataSel_ = nullptr;
    QPushButton* cmdOptions_ = nullptr;
    QPushButton* cmdReset_ = nullptr;
    QPushButton* cmdExtract_ = nullptr;
    QPushButton* cmdHide_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    clsStatusBar* statusBar_ = nullptr;
    FileDropFilter* carrierDrop_ = nullptr;
    FileDropFilter* dataDrop_ = nullptr;

    QThread* worker_ = nullptr;       // the long command running, if any
    std::function<bool()> finish_;    // shows the running command's outcome once it ended
    bool cancellable_ = false;        // false during the write into the carrier
    bool closeAfterCommand_ = false;  // the user closed the window during a command
};

}  // namespace tarnwerk
