#include "ui/ApplyLanguage.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QWidget>
#include <span>

#include "config/Strings.h"
#include "ui/QtText.h"

namespace tarnwerk {
namespace {

struct Caption {
    const char* control;  // objectName; "" is the window's own caption
    TextId id;
};

constexpr Caption kSteg[] = {
    {"mnuDatei", TextId::FileMenu},
    {"mnuDateiCarrierOpen", TextId::OpenCarrierMenu},
    {"mnuDateiCarrierView", TextId::ShowCarrierMenu},
    {"mnuDateiCarrierSend", TextId::MailCarrierMenu},
    {"mnuDateiCarrierSize", TextId::NeededSizeMenu},
    {"mnuDateiDataOpen", TextId::OpenDataMenu},
    {"mnuDateiHide", TextId::HideMenu},
    {"mnuDateiExtract", TextId::ExtractMenu},
    {"mnuDateiExportData", TextId::ExportMenu},
    {"mnuDateiReset", TextId::ResetMenu},
    {"mnuDateiBeenden", TextId::ExitMenu},
    {"mnuExtras", TextId::ExtrasMenu},
    {"mnuExtrasOptionen", TextId::OptionsMenu},
    {"mnuHilfe", TextId::HelpMenu},
    {"mnuHilfeInfo", TextId::AboutMenu},
    {"mnuDateiHideAndMail", TextId::HideAndMailMenu},
    {"mnuHilfeHelp", TextId::HelpContentsMenu},
    {"frameCarrierFile", TextId::CarrierGroupCaption},
    {"lblCarrierFileName", TextId::CarrierNameLabel},
    {"lblCarrierType", TextId::CarrierTypeLabel},
    {"lblCarrierSize", TextId::CarrierSizeLabel},
    {"lblCarrierFree", TextId::CarrierFreeLabel},
    {"frameDataFile", TextId::DataGroupCaption},
    {"lblDataFileName", TextId::DataNameLabel},
    {"lblDataOrigSize", TextId::DataOriginalSizeLabel},
    {"lblDataSize", TextId::DataSizeLabel},
    {"lblProcess", TextId::ProcessStatusLabel},
    {"cmdOptions", TextId::OptionsButton},
    {"cmdReset", TextId::ResetButton},
    {"cmdCancel", TextId::CancelCommandButton},
    {"cmdExtract", TextId::ExtractButton},
    {"cmdHide", TextId::HideButton},
    {"cmdClose", TextId::ExitButton},
};

constexpr Caption kSetPw[] = {
    {"", TextId::SetPassphraseTitle},           {"lblPw1", TextId::EnterPassphraseLabel},
    {"lblPw2", TextId::ReenterPassphraseLabel}, {"lblPwQuality", TextId::AcceptableQualityLabel},
    {"lblQuality", TextId::QualityLabel},       {"cmdOk", TextId::OkButton},
    {"cmdCancel", TextId::CancelButton},
};

constexpr Caption kGetPw[] = {{"", TextId::PassphraseTitle},
                              {"lblPw", TextId::PassphraseLabel},
                              {"cmdOk", TextId::OkButton},
                              {"cmdCancel", TextId::CancelButton}};

// lblUHG is composed of three texts and set on its own.
constexpr Caption kInfo[] = {
    {"frmExtInfo", TextId::AdditionalInfoCaption}, {"cmdOk", TextId::OkButton}, {"lblAchtung", TextId::WarningLabel}};

constexpr Caption kOpt[] = {
    {"", TextId::OptionsTitle},
    {"frameHideExtract", TextId::HideExtractGroupCaption},
    {"frameHide", TextId::HideGroupCaption},
    {"frameSend", TextId::MailGroupCaption},
    {"lblBits", TextId::BitsPerByteLabel},
    {"checkEndMsg", TextId::EndMessageOption},
    {"checkEndReset", TextId::EndResetOption},
    {"checkCompress", TextId::CompressOption},
    {"checkEncrypt", TextId::EncryptOption},
    {"checkSendCompress", TextId::MailCompressOption},
    {"checkSendDelete", TextId::MailDeleteOption},
    {"lblCipherAdvice", TextId::CipherAdviceText},
    {"frameMethod", TextId::HidingMethodGroupCaption},
    {"optClassic", TextId::ClassicMethodOption},
    {"lblClassicInfo", TextId::ClassicMethodExplanation},
    {"optStealth", TextId::StealthMethodOption},
    {"lblStealthInfo", TextId::StealthMethodExplanation},
    {"checkKeepOriginal", TextId::KeepOriginalOption},
    {"lblLanguage", TextId::LanguageLabel},
    {"cmdOk", TextId::OkButton},
    {"cmdCancel", TextId::CancelButton},
    {"cmdSave", TextId::SaveButton},
};

// Menus and buttons keep the "&" convention (Qt shares it); labels resolve it themselves.
void SetCaption(QObject* control, const std::string& text) {
    if (auto* menu = qobject_cast<QMenu*>(control)) {
        menu->setTitle(ToQ(text));
    } else if (auto* action = qobject_cast<QAction*>(control)) {
        action->setText(ToQ(text));
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(ToQ(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(ToQ(text));
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(label->buddy() != nullptr ? ToQ(text) : LabelText(text));
    }
}

void Apply(QWidget& form, std::span<const Caption> table, int languageBase) {
    for (const Caption& caption : table) {
        const std::string text = Text(languageBase, caption.id);
        if (caption.control[0] == '\0') {
            form.setWindowTitle(ToQ(text));
        } else if (QObject* control = form.findChild<QObject*>(QString::fromLatin1(caption.control))) {
            SetCaption(control, text);
        }
    }
}

}  // namespace

void ApplyLanguage(QWidget& form, const std::string& formName, int languageBase) {
    if (formName == "frmSteg") {
        Apply(form, kSteg, languageBase);
    } else if (formName == "frmSetPw") {
        Apply(form, kSetPw, languageBase);
    } else if (formName == "frmGetPw") {
        Apply(form, kGetPw, languageBase);
    } else if (formName == "frmOpt") {
        Apply(form, kOpt, languageBase);
    } else if (formName == "frmInfo") {
        Apply(form, kInfo, languageBase);
        if (QObject* warning = form.findChild<QObject*>(QStringLiteral("lblUHG"))) {
            SetCaption(warning, Text(languageBase, TextId::CopyrightWarningText) + " " +
                                    Text(languageBase, TextId::CopyrightPenaltyText) + " " +
                                    Text(languageBase, TextId::CopyrightWarningEnd));
        }
    }
}

}  // namespace tarnwerk
