#include "ui/frmSteg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QAction>
#include <algorithm>
#include <array>

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

// Long work lets the window repaint and take events at most this often.
constexpr qint64 kEventIntervalMs = 15;
constexpr int kProgressMaximum = 100;

constexpr const char* kProductName = "Tarnwerk";

// Menu entries that change the carrier, the data file or the settings, or start another
// command: off while a command runs, so nothing can change under it. Viewing the carrier,
// the help, the about box and Exit stay available.
constexpr std::array kChangingEntries = {"mnuDateiCarrierOpen", "mnuDateiCarrierSend", "mnuDateiCarrierSize",
                                         "mnuDateiDataOpen",    "mnuDateiHide",        "mnuDateiHideAndMail",
                                         "mnuDateiExtract",     "mnuDateiExportData",  "mnuDateiReset",
                                         "mnuExtrasOptionen"};

void ShowText(QLineEdit* field, const std::string& text) {
    const QString shown = ToQ(text);
    if (field->text() != shown) field->setText(shown);
}

}  // namespace

frmSteg::frmSteg(Session& session, Desktop& desktop, DialogHost& host, QWidget* parent)
    : QMainWindow(parent), session_(session), desktop_(desktop), host_(host), commands_(session, *this, desktop) {
    setObjectName(QStringLiteral("frmSteg"));
    setWindowTitle(QString::fromLatin1(kProductName));
    setFont(WindowFont());

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    client->setFixedSize(kClientWidth, kClientHeight);
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
    connect(cmdExtract_, &QPushButton::clicked, this, [this] { Run([this] { commands_.Extract(); }); });
    connect(cmdHide_, &QPushButton::clicked, this, [this] { Run([this] { commands_.Hide(); }); });
    connect(cmdClose_, &QPushButton::clicked, this, [this] { mnuDateiBeenden_Click(); });
    connect(txtDataFile_, &QLineEdit::editingFinished, this, [this] { txtDataFile_EditingFinished(); });

    ApplyCaptions();
    // Fixed size: every control has a fixed position, in pixels.
    adjustSize();
    setFixedSize(sizeHint());
}

frmSteg::~frmSteg() = default;

void frmSteg::Start() { commands_.Activate(); }

void frmSteg::MoveToTwips(int32_t leftTwips, int32_t topTwips) {
    move(leftTwips / kTwipsPerPixel, topTwips / kTwipsPerPixel);
}

void frmSteg::ApplyCaptions() {
    ApplyLanguage(*this, "frmSteg", session_.languageBase);
    FitLabelColumns();
}

// --- UserInterface ---

MessageAnswer frmSteg::ShowMessage(const Message& message) { return ShowMessageBox(host_, this, message); }

std::string frmSteg::ChooseCarrierFile(const std::vector<FileFilter>& filter, const std::string& title) {
    return FromQ(host_.OpenFile(this, ToQ(title), QtFilterList(filter), true));
}

std::string frmSteg::ChooseDataFile(const std::vector<FileFilter>& filter, const std::string& title) {
    return FromQ(host_.OpenFile(this, ToQ(title), QtFilterList(filter), false));
}

std::optional<std::string> frmSteg::AskNewPassphrase() {
    frmSetPw dialog(session_.languageBase, host_, this);
    host_.Exec(dialog);
    return dialog.TakePassphrase();
}

std::optional<std::string> frmSteg::AskPassphrase() {
    frmGetPw dialog(session_.languageBase, host_, this);
    host_.Exec(dialog);
    return dialog.TakePassphrase();
}

void frmSteg::SetProgress(int percent) {
    progressBar_->setValue(std::clamp(percent, 0, kProgressMaximum));
    if (!sinceEvents_.isValid() || sinceEvents_.elapsed() >= kEventIntervalMs) {
        QCoreApplication::processEvents();
        sinceEvents_.start();
    }
}

void frmSteg::SetStatus(int panel, const std::string& text) { statusBar_->SetText(panel, ToQ(text)); }

void frmSteg::SetBusy(bool busy) {
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
    ShowText(txtDataFile_, fields.dataFile);
    ShowText(txtDOrigSize_, fields.dOrigSize);
    ShowText(txtDSize_, fields.dSize);
}

// --- handlers ---

void frmSteg::Run(const std::function<void()>& command) {
    TakeTypedDataFile();
    ++running_;
    command();
    --running_;
    if (closeRequested_ && running_ == 0 && !session_.commandRunning) close();
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
    if (running_ == 0) TakeTypedDataFile();
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
        commands_.Activate();
    });
}

void frmSteg::mnuDateiBeenden_Click() { close(); }

void frmSteg::closeEvent(QCloseEvent* event) {
    // Closing now would cut a running hide off half-way: remember the wish, close afterwards.
    if (running_ > 0 || session_.commandRunning) {
        closeRequested_ = true;
        event->ignore();
        return;
    }
    closeRequested_ = false;
    const QPoint position = pos();
    commands_.SaveWindowPosition(static_cast<double>(position.y()) * kTwipsPerPixel,
                                 static_cast<double>(position.x()) * kTwipsPerPixel);
    event->accept();
}

}  // namespace tarnwerk
