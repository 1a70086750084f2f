#include "ui/frmSteg.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <algorithm>
#include <array>

#include "app/DataFileSelection.h"
#include "app/UseCases.h"
#include "ui/ApplyLanguage.h"
#include "ui/DialogHost.h"
#include "ui/FileDrop.h"
#include "ui/MessageBoxes.h"
#include "ui/QtText.h"
#include "ui/StatusPanels.h"
#include "ui/TwipsLayout.h"
#include "ui/WindowFont.h"
#include "ui/frmGetPw.h"
#include "ui/frmInfo.h"
#include "ui/frmOpt.h"
#include "ui/frmSetPw.h"

namespace tarnwerk {
namespace {

constexpr int kProgressMaximum = 100;

// Menu entries that change the carrier, the data file or the settings, or start another
// command: off while a command runs, so nothing can change under it. Viewing the carrier,
// the help, the about box and Exit stay available.
constexpr std::array kChangingEntries = {
    "mnuDateiCarrierOpen", "mnuDateiCarrierSend", "mnuDateiCarrierSize", "mnuDateiDataOpen", "mnuDateiHide",
    "mnuDateiHideAndMail", "mnuDateiExtract",     "mnuDateiExportData",  "mnuDateiReset",    "mnuExtrasOptionen"};

void ShowText(QLineEdit* field, const std::string& text) {
    const QString shown = ToQ(text);
    if (field->text() != shown) field->setText(shown);
}

}  // namespace

frmSteg::frmSteg(Session& session, Desktop& desktop, DialogHost& host, QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      desktop_(desktop, *this),
      host_(host),
      threadUi_(*this),
      commands_(session, *this, desktop_, threadUi_, threadUi_),
      lastFolder_(QDir::homePath()) {
    setObjectName(QStringLiteral("frmSteg"));
    setWindowTitle(QString::fromLatin1(kProductName));
    setFont(WindowFont());

    auto* client = new QWidget(this);
    client_ = client;
    client->setObjectName(QStringLiteral("Client"));
    client->setMinimumSize(kClientWidth, kClientHeight);
    client->resize(kClientWidth, kClientHeight);
    client->installEventFilter(this);
    setCentralWidget(client);
    auto* lineMenu = new QFrame(client);
    lineMenu->setObjectName(QStringLiteral("lineMenu"));
    lineMenu->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    lineMenu->setGeometry(0, 0, kClientWidth, 2);

    BuildCarrierGroup(client);
    BuildDataGroup(client);
    BuildProcessRow(client);
    BuildMenus();

    connect(cmdOrigSel_, &QPushButton::clicked, this, [this] { cmdOrigSel_Click(); });
    connect(cmdDataSel_, &QPushButton::clicked, this, [this] { cmdDataSel_Click(); });
    connect(cmdOptions_, &QPushButton::clicked, this, [this] { mnuExtrasOptionen_Click(); });
    connect(cmdReset_, &QPushButton::clicked, this, [this] { Run([this] { commands_.Reset(); }); });
    connect(cmdExtract_, &QPushButton::clicked, this, [this] { RunOnWorker(LongCommand::Extract); });
    connect(cmdHide_, &QPushButton::clicked, this, [this] { RunOnWorker(LongCommand::Hide); });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdClose_, &QPushButton::clicked, this, [this] { mnuDateiBeenden_Click(); });
    connect(txtDataFile_, &QLineEdit::editingFinished, this, [this] { txtDataFile_EditingFinished(); });

    ApplyCaptions();
    adjustSize();
    setMinimumSize(sizeHint());
}

frmSteg::~frmSteg() {
    // The window's close waits for a running command; this covers a window deleted without a
    // close (the program told to end). A call the worker already waits on is answered here.
    if (worker_ != nullptr) {
        threadUi_.Abandon();
        while (!worker_->wait(10)) QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
}

void frmSteg::Start() { commands_.Activate(); }

void frmSteg::MoveToTwips(int32_t leftTwips, int32_t topTwips) {
    move(leftTwips / kTwipsPerPixel, topTwips / kTwipsPerPixel);
}

void frmSteg::ApplyCaptions() {
    ApplyLanguage(*this, "frmSteg", session_.languageBase);
    ArrangeControls();
}

// --- UserInterface ---

MessageAnswer frmSteg::ShowMessage(const Message& message) { return ShowMessageBox(host_, this, message); }

std::string frmSteg::ChooseCarrierFile(const std::vector<FileFilter>& filter, const std::string& title) {
    const QString chosen = host_.OpenFile(this, ToQ(title), QtFilterList(filter), true, lastFolder_);
    RememberFolder(chosen);
    return FromQ(chosen);
}

std::string frmSteg::ChooseDataFile(const std::vector<FileFilter>& filter, const std::string& title) {
    const QString chosen = host_.OpenFile(this, ToQ(title), QtFilterList(filter), false, lastFolder_);
    RememberFolder(chosen);
    return FromQ(chosen);
}

std::string frmSteg::ChooseResultFile(const std::vector<FileFilter>& filter, const std::string& title,
                                      const std::string& proposed) {
    const QString chosen = host_.SaveFile(this, ToQ(title), QtFilterList(filter), ToQ(proposed));
    RememberFolder(chosen);
    return FromQ(chosen);
}

std::string frmSteg::ChooseOutputFile(const OutputChoice& choice) {
    const QString chosen = host_.SaveFile(this, ToQ(session_.Text(choice.titleId)),
                                          QtFilterList(DataFileFilter(session_.languageBase, choice.storedExtension)),
                                          ToQ(choice.proposed));
    RememberFolder(chosen);
    return FromQ(chosen);
}

bool frmSteg::AskQuestion(Question question) {
    const MessageAnswer answer = ShowMessage(QuestionMessage(session_.languageBase, question));
    return answer == MessageAnswer::Yes || answer == MessageAnswer::Retry;
}

void frmSteg::RememberFolder(const QString& chosen) {
    if (!chosen.isEmpty()) lastFolder_ = QFileInfo(chosen).absolutePath();
}

std::optional<std::string> frmSteg::AskNewPassphrase() {
    frmSetPw dialog(session_.languageBase, host_, this);
    host_.Exec(dialog);
    return dialog.TakePassphrase();
}

std::optional<std::string> frmSteg::AskPassphrase() { return AskPassphraseSaying({}); }

std::optional<std::string> frmSteg::AskStealthPassphrase() {
    return AskPassphraseSaying(session_.Text(TextId::StealthPassphrasePrompt));
}

std::optional<std::string> frmSteg::AskPassphraseSaying(const std::string& prompt) {
    frmGetPw dialog(session_.languageBase, host_, this);
    dialog.SetPrompt(prompt);
    host_.Exec(dialog);
    return dialog.TakePassphrase();
}

void frmSteg::ShowProgress(int percent) {
    // A busy bar (range 0..0) while a step of unknown length runs.
    progressBar_->setMaximum(percent == ProgressSink::kBusy ? 0 : kProgressMaximum);
    progressBar_->setValue(std::clamp(percent, 0, kProgressMaximum));
}

void frmSteg::SetCancellable(bool cancellable) { cancellable_ = cancellable; }

void frmSteg::SetStatus(int panel, const std::string& text) { statusBar_->SetText(panel, ToQ(text)); }

void frmSteg::ShowStatusText(TextId textId) { SetStatus(0, " " + session_.Text(textId)); }

// A command on the worker thread keeps the lock until it has ended, whatever its frame says.
void frmSteg::SetBusy(bool busy) { Lock(busy || worker_ != nullptr); }

void frmSteg::Lock(bool busy) {
    for (QWidget* control : std::initializer_list<QWidget*>{cmdOrigSel_, cmdDataSel_, txtOrigFile_, txtDataFile_,
                                                            cmdOptions_, cmdExtract_, cmdHide_, cmdReset_}) {
        control->setEnabled(!busy);
    }
    for (const char* name : kChangingEntries) {
        if (auto* entry = findChild<QAction*>(QString::fromLatin1(name))) entry->setEnabled(!busy);
    }
    // The drop images stay enabled, but a file dropped on them must not change a running command.
    carrierDrop_->SetAccepting(!busy);
    dataDrop_->SetAccepting(!busy);
    cmdReset_->setVisible(!busy || worker_ == nullptr);
    cmdCancel_->setVisible(busy && worker_ != nullptr);
    cmdCancel_->setEnabled(true);
    if (busy) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
}

void frmSteg::FieldsChanged() {
    const WindowFields& fields = session_.fields;
    ShowText(txtOrigFile_, fields.origFile);
    ShowText(txtOTyp_, fields.oTyp);
    ShowText(txtOSize_, fields.oSize);
    ShowText(txtOFree_, fields.oFree);
    QLabel* freeCaption = findChild<QLabel*>(QStringLiteral("lblCarrierFree"));
    const QString caption = LabelText(fields.oFreeCaption);
    if (freeCaption != nullptr && !fields.oFreeCaption.empty() && freeCaption->text() != caption) {
        freeCaption->setText(caption);
        ArrangeControls();  // the caption column fits its longest caption
    }
    ShowText(txtDataFile_, fields.dataFile);
    ShowText(txtDOrigSize_, fields.dOrigSize);
    ShowText(txtDSize_, fields.dSize);
}

// --- handlers ---

void frmSteg::Run(const std::function<void()>& command) {
    TakeTypedDataFile();
    command();
    // A long command still running keeps the focus where its lock left it.
    if (worker_ == nullptr) FocusNextStep();
}

void frmSteg::RunOnWorker(LongCommand command) {
    if (worker_ != nullptr) return;
    TakeTypedDataFile();
    std::optional<PreparedCommand> prepared = commands_.Prepare(command);
    if (!prepared) {
        FocusNextStep();
        return;
    }
    threadUi_.Rearm();
    cancellable_ = true;
    finish_ = std::move(prepared->finish);
    worker_ = QThread::create([this, work = std::move(prepared->work)] { work(threadUi_, threadUi_); });
    Lock(true);
    // Queued behind every call the command sent to the window before it ended.
    connect(worker_, &QThread::finished, this, [this] { CommandEnded(); });
    worker_->start();
}

void frmSteg::CommandEnded() {
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    cancellable_ = false;
    Lock(false);
    // The outcome reaches the session and the fields here, on the window's thread.
    if (std::function<bool()> finish = std::move(finish_)) finish();
    if (closeAfterCommand_) {
        close();
        return;
    }
    FocusNextStep();
}

void frmSteg::cmdCancel_Click() {
    if (!cancellable_) {
        statusBar_->SetText(0, ToQ(" " + session_.Text(TextId::CarrierWriteRunsOnText)));
        return;
    }
    threadUi_.RequestCancel();
    cmdCancel_->setEnabled(false);
}

void frmSteg::FocusNextStep() {
    QWidget* next = cmdHide_;
    if (!session_.carrier.IsLoaded()) {
        next = cmdOrigSel_;
    } else if (session_.fields.dataFile.empty()) {
        next = txtDataFile_;
    }
    next->setFocus(Qt::OtherFocusReason);
    // Styles draw the focus frame only once the keyboard has moved the focus; this focus move
    // is meant for the keyboard, so its frame must show.
    setAttribute(Qt::WA_KeyboardFocusChange);
}

void frmSteg::TakeTypedDataFile() {
    const std::string typed = FromQ(txtDataFile_->text());
    if (typed != session_.fields.dataFile) commands_.SetDataFile(typed);
}

void frmSteg::cmdOrigSel_Click() {
    Run([this] { commands_.SelectCarrier(); });
}

void frmSteg::cmdDataSel_Click() {
    Run([this] { commands_.SelectDataFile(); });
}

void frmSteg::txtDataFile_EditingFinished() {
    if (worker_ == nullptr) TakeTypedDataFile();
}

void frmSteg::mnuExtrasOptionen_Click() {
    Run([this] {
        frmOpt dialog(session_, commands_, host_, this);
        host_.Exec(dialog);
        dialog.Unload();
        ApplyCaptions();
        commands_.Activate();
    });
}

void frmSteg::mnuHilfeInfo_Click() {
    Run([this] {
        frmInfo dialog(session_.languageBase, desktop_, host_, this);
        host_.Exec(dialog);
        // A running command owns the session; it refreshes the window when it ends.
        if (worker_ == nullptr) commands_.Activate();
    });
}

void frmSteg::mnuDateiBeenden_Click() { close(); }

bool frmSteg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) ArrangeControls();
    return QMainWindow::eventFilter(watched, event);
}

void frmSteg::closeEvent(QCloseEvent* event) {
    // The window goes only once the command has ended, so no output is left half-written.
    if (worker_ != nullptr) {
        event->ignore();
        if (closeAfterCommand_ || !AskToCancelForClose()) return;
        closeAfterCommand_ = true;
        cmdCancel_Click();
        if (worker_ != nullptr) return;  // it ended while the question was open
    }
    closeAfterCommand_ = false;
    const QPoint position = pos();
    commands_.SaveWindowPosition(static_cast<double>(position.y()) * kTwipsPerPixel,
                                 static_cast<double>(position.x()) * kTwipsPerPixel);
    event->accept();
}

bool frmSteg::AskToCancelForClose() {
    const Message question{session_.Text(TextId::CloseDuringCommandQuestion), MessageIcon::Question,
                           MessageButtons::YesNo, kProductName};
    return ShowMessageBox(host_, this, question) == MessageAnswer::Yes;
}

}  // namespace tarnwerk
