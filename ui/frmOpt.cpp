#include "ui/frmOpt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>

#include "app/Commands.h"
#include "app/Session.h"
#include "config/Strings.h"
#include "crypto/CipherTable.h"
#include "ui/ApplyLanguage.h"
#include "ui/QtText.h"

namespace tarnwerk {
namespace {

// Bits per carrier byte for the list positions 0, 1, 2 (the stored BitPerByte index).
constexpr std::array kBitsChoices = {1, 2, 4};

// Language names, read without a base so each shows in its own language.
constexpr std::array kLanguageIds = {TextId::GermanLanguageName, TextId::EnglishLanguageName, TextId::DutchLanguageName,
                                     TextId::FrenchLanguageName};

template <class Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

void SelectStored(QComboBox* combo, int stored) {
    combo->setCurrentIndex(stored >= 0 && stored < combo->count() ? stored : -1);
}

int ChosenOr(const QComboBox* combo, int stored) { return combo->currentIndex() >= 0 ? combo->currentIndex() : stored; }

QLabel* ExplanationLabel(QWidget* parent, const char* name) {
    auto* label = Named(new QLabel(parent), name);
    label->setWordWrap(true);
    label->setMaximumWidth(320);
    label->setIndent(20);  // under its radio button's text
    return label;
}

// A fixed-size dialog sizes a word-wrapped label by a guessed width, so a longer translation
// would be cut off; give each the height its text needs at the width it is allowed.
void FitWrappedLabels(QWidget& dialog) {
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->wordWrap()) label->setMinimumHeight(label->heightForWidth(label->maximumWidth()));
    }
}

}  // namespace

frmOpt::frmOpt(const Session& session, Commands& commands, DialogHost& /*host*/, QWidget* parent)
    : QDialog(parent), session_(session), commands_(commands) {
    setObjectName(QStringLiteral("frmOpt"));
    BuildControls();
    ApplyLanguage(*this, "frmOpt", session_.languageBase);
    FitWrappedLabels(*this);
    Load();
}

void frmOpt::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    BuildSettingGroups(*layout);
    auto* ok = Named(new QPushButton(this), "cmdOk");
    auto* cancel = Named(new QPushButton(this), "cmdCancel");
    auto* save = Named(new QPushButton(this), "cmdSave");
    for (QPushButton* button : {ok, cancel, save}) button->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(save);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(save, &QPushButton::clicked, this, [this] { Save(); });
    connect(ok, &QPushButton::clicked, this, [this] {
        Save();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
}

void frmOpt::BuildSettingGroups(QVBoxLayout& layout) {
    auto* hideExtract = Named(new QGroupBox(this), "frameHideExtract");
    auto* bitsRow = new QHBoxLayout;
    bitsRow->addWidget(Named(new QLabel(hideExtract), "lblBits"));
    comboBits_ = Named(new QComboBox(hideExtract), "comboBits");
    bitsRow->addWidget(comboBits_, 1);
    auto* hideExtractLayout = new QVBoxLayout(hideExtract);
    hideExtractLayout->addLayout(bitsRow);
    checkEndMsg_ = Named(new QCheckBox(hideExtract), "checkEndMsg");
    checkEndReset_ = Named(new QCheckBox(hideExtract), "checkEndReset");
    hideExtractLayout->addWidget(checkEndMsg_);
    hideExtractLayout->addWidget(checkEndReset_);

    auto* hide = Named(new QGroupBox(this), "frameHide");
    auto* hideLayout = new QGridLayout(hide);
    checkCompress_ = Named(new QCheckBox(hide), "checkCompress");
    checkEncrypt_ = Named(new QCheckBox(hide), "checkEncrypt");
    comboAlgorithmus_ = Named(new QComboBox(hide), "comboAlgorithmus");
    hideLayout->addWidget(checkCompress_, 0, 0, 1, 2);
    hideLayout->addWidget(checkEncrypt_, 1, 0);
    hideLayout->addWidget(comboAlgorithmus_, 1, 1);
    // Why the newest entry is the one to choose; the default stays as it always was.
    auto* advice = Named(new QLabel(hide), "lblCipherAdvice");
    advice->setWordWrap(true);
    advice->setMaximumWidth(320);
    hideLayout->addWidget(advice, 2, 0, 1, 2);
    checkKeepOriginal_ = Named(new QCheckBox(hide), "checkKeepOriginal");
    hideLayout->addWidget(checkKeepOriginal_, 3, 0, 1, 2);
    hideLayout->setColumnStretch(1, 1);

    QGroupBox* method = BuildMethodGroup();

    auto* send = Named(new QGroupBox(this), "frameSend");
    auto* sendLayout = new QVBoxLayout(send);
    checkSendCompress_ = Named(new QCheckBox(send), "checkSendCompress");
    checkSendDelete_ = Named(new QCheckBox(send), "checkSendDelete");
    sendLayout->addWidget(checkSendCompress_);
    sendLayout->addWidget(checkSendDelete_);

    auto* languageRow = new QHBoxLayout;
    languageRow->addWidget(Named(new QLabel(this), "lblLanguage"));
    comboLanguage_ = Named(new QComboBox(this), "comboLanguage");
    languageRow->addWidget(comboLanguage_, 1);

    layout.addWidget(hideExtract);
    layout.addWidget(method);
    layout.addWidget(hide);
    layout.addWidget(send);
    layout.addLayout(languageRow);
}

QGroupBox* frmOpt::BuildMethodGroup() {
    auto* method = Named(new QGroupBox(this), "frameMethod");
    auto* methodLayout = new QVBoxLayout(method);
    optClassic_ = Named(new QRadioButton(method), "optClassic");
    optStealth_ = Named(new QRadioButton(method), "optStealth");
    methodLayout->addWidget(optClassic_);
    methodLayout->addWidget(ExplanationLabel(method, "lblClassicInfo"));
    methodLayout->addWidget(optStealth_);
    methodLayout->addWidget(ExplanationLabel(method, "lblStealthInfo"));
    connect(optStealth_, &QRadioButton::toggled, this, [this](bool stealth) { ShowMethod(stealth); });
    return method;
}

void frmOpt::ShowMethod(bool stealth) {
    if (stealth) {
        classicCipher_ = comboAlgorithmus_->currentIndex();
        classicEncrypt_ = checkEncrypt_->isChecked();
        comboAlgorithmus_->setCurrentIndex(static_cast<int>(CipherIndex::XChaCha20));
        checkEncrypt_->setChecked(true);
    } else {
        comboAlgorithmus_->setCurrentIndex(classicCipher_);
        checkEncrypt_->setChecked(classicEncrypt_);
    }
    comboAlgorithmus_->setEnabled(!stealth);
    checkEncrypt_->setEnabled(!stealth);
}

void frmOpt::Load() {
    const SettingsRecord& settings = session_.settings;
    const std::string bitUnit = Text(session_.languageBase, TextId::BitsPerByteUnit);
    for (int bits : kBitsChoices) comboBits_->addItem(ToQ(std::to_string(bits) + " " + bitUnit));
    // The list position is the stored Algorithmus value, as in the cipher table.
    for (const CipherDescriptor& cipher : CipherTable())
        comboAlgorithmus_->addItem(QString::fromLatin1(cipher.displayName));
    for (const TextId id : kLanguageIds) comboLanguage_->addItem(ToQ(Text(session_.languageBase, id)));

    checkCompress_->setChecked(settings.Compression);
    checkEncrypt_->setChecked(settings.Encryption);
    SelectStored(comboBits_, IndexFromBitsPerByte(settings.bitsPerByte));
    checkEndMsg_->setChecked(settings.ShowEndMessage);
    checkEndReset_->setChecked(settings.ResetOnEnd);
    SelectStored(comboAlgorithmus_, static_cast<int>(settings.Algorithmus));
    SelectStored(comboLanguage_, settings.Language);
    checkSendCompress_->setChecked(settings.SendCompress);
    checkSendDelete_->setChecked(settings.SendDelete);
    checkKeepOriginal_->setChecked(settings.KeepOriginal);
    const bool stealth = settings.Method == HidingMethod::Stealth;
    (stealth ? optStealth_ : optClassic_)->setChecked(true);
}

SettingsRecord frmOpt::Record() const {
    const SettingsRecord& stored = session_.settings;
    SettingsRecord record = stored;
    const bool stealth = optStealth_->isChecked();
    record.Method = stealth ? HidingMethod::Stealth : HidingMethod::Classic;
    record.Compression = checkCompress_->isChecked() ? 1 : 0;
    // The classic choice is stored as it was made: switching back to classic finds it again.
    record.Encryption = (stealth ? classicEncrypt_ : checkEncrypt_->isChecked()) ? 1 : 0;
    const int cipher = stealth ? classicCipher_ : comboAlgorithmus_->currentIndex();
    record.Algorithmus = cipher >= 0 ? static_cast<CipherIndex>(cipher) : stored.Algorithmus;
    record.bitsPerByte = BitsPerByteFromIndex(ChosenOr(comboBits_, IndexFromBitsPerByte(stored.bitsPerByte)));
    record.ShowEndMessage = checkEndMsg_->isChecked() ? 1 : 0;
    record.ResetOnEnd = checkEndReset_->isChecked() ? 1 : 0;
    record.Language = ChosenOr(comboLanguage_, stored.Language);
    record.SendCompress = checkSendCompress_->isChecked() ? 1 : 0;
    record.SendDelete = checkSendDelete_->isChecked() ? 1 : 0;
    record.KeepOriginal = checkKeepOriginal_->isChecked();
    return record;
}

void frmOpt::Save() { commands_.SaveOptions(Record()); }

void frmOpt::Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    commands_.OptionsClosed();
}

void frmOpt::done(int result) {
    Unload();
    QDialog::done(result);
}

}  // namespace tarnwerk
