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
    int id;
};

constexpr Caption kSteg[] = {
    {"mnuDatei", 101},           {"mnuDateiCarrierOpen", 102}, {"mnuDateiCarrierView", 103},
    {"mnuDateiCarrierSend", 116}, {"mnuDateiCarrierSize", 104}, {"mnuDateiDataOpen", 105},
    {"mnuDateiHide", 106},        {"mnuDateiExtract", 107},     {"mnuDateiExportData", 108},
    {"mnuDateiReset", 109},       {"mnuDateiBeenden", 110},     {"mnuExtras", 111},
    {"mnuExtrasOptionen", 112},   {"mnuHilfe", 113},            {"mnuHilfeInfo", 114},
    {"mnuDateiHideAndMail", 115}, {"mnuHilfeHelp", 117},        {"frameCarrierFile", 201},
    {"lblCarrierFileName", 202},  {"lblCarrierType", 203},      {"lblCarrierSize", 204},
    {"lblCarrierFree", 205},      {"frameDataFile", 206},       {"lblDataFileName", 207},
    {"lblDataOrigSize", 208},     {"lblDataSize", 209},         {"lblProcess", 210},
    {"cmdOptions", 211},          {"cmdReset", 212},            {"cmdCancel", 581},            {"cmdExtract", 213},
    {"cmdHide", 214},             {"cmdClose", 215},
};

constexpr Caption kSetPw[] = {
    {"", 226},           {"lblPw1", 220}, {"lblPw2", 221},   {"lblPwQuality", 222},
    {"lblQuality", 223}, {"cmdOk", 224},  {"cmdCancel", 225},
};

constexpr Caption kGetPw[] = {{"", 230}, {"lblPw", 231}, {"cmdOk", 224}, {"cmdCancel", 225}};

// lblUHG is composed of three texts and set on its own.
constexpr Caption kInfo[] = {{"frmExtInfo", 251}, {"cmdOk", 224}, {"lblAchtung", 252}};

constexpr Caption kOpt[] = {
    {"", 240},
    {"frameHideExtract", 241},
    {"frameHide", 242},
    {"frameSend", 256},
    {"lblBits", 243},
    {"checkEndMsg", 244},
    {"checkEndReset", 245},
    {"checkCompress", 246},
    {"checkEncrypt", 247},
    {"checkSendCompress", 257},
    {"checkSendDelete", 258},
    {"lblCipherAdvice", 259},
    {"checkKeepOriginal", 634},
    {"lblLanguage", 248},
    {"cmdOk", 224},
    {"cmdCancel", 225},
    {"cmdSave", 249},
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
            SetCaption(warning, Text(languageBase, 253) + " " + Text(languageBase, 254) + " " +
                                    Text(languageBase, 255));
        }
    }
}

}  // namespace tarnwerk
