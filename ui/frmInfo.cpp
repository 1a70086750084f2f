#include "ui/frmInfo.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "app/Desktop.h"
#include "app/UserInterface.h"
#include "config/Strings.h"
#include "ui/ApplyLanguage.h"
#include "ui/MessageBoxes.h"
#include "ui/Pictures.h"
#include "ui/QtText.h"

#ifndef TARNWERK_VERSION
#error "TARNWERK_VERSION comes from the build (the project version)"
#endif
#ifndef TARNWERK_HOME_PAGE
#error "TARNWERK_HOME_PAGE comes from the build (the CMake cache)"
#endif

namespace tarnwerk {
namespace {

constexpr const char* kLegalNotice = "Copyright \u00A9 The Tarnwerk developers";

// The credit lines in order; a blank line follows the last line of each component's group.
constexpr std::array kCredits = {
    TextId::ZlibCredit,
    TextId::ZlibAuthorsCredit,
    TextId::ZlibLibraryFormCredit,
    TextId::Md5Credit,
    TextId::Md5BasisCredit,
    TextId::Md5ReferenceCredit,
    TextId::BlowfishCredit,
    TextId::BlowfishDesignerCredit,
    TextId::BlowfishCodeCredit,
    TextId::Rc4Credit,
    TextId::Rc4TrademarkCredit,
    TextId::Rc4CodeCredit,
    TextId::SkipjackCredit,
    TextId::SkipjackTrademarkCredit,
    TextId::SkipjackCodeCredit,
    TextId::TeaCredit,
    TextId::TeaCodeCredit,
    TextId::TwofishCredit,
    TextId::TwofishDesignersCredit,
    TextId::TwofishCodeCredit,
    TextId::ZipCredit,
    TextId::ZipLibraryFormCredit,
    TextId::SodiumCredit,
    TextId::SodiumAuthorsCredit,
};
constexpr std::array kGroupEnds = {TextId::ZlibLibraryFormCredit, TextId::Md5ReferenceCredit,
                                   TextId::BlowfishCodeCredit,    TextId::Rc4CodeCredit,
                                   TextId::SkipjackCodeCredit,    TextId::TeaCodeCredit,
                                   TextId::TwofishCodeCredit,     TextId::ZipLibraryFormCredit};

constexpr int kIconSize = 48;
constexpr int kCreditLinesShown = 9;
constexpr int kCreditColumns = 62;

template <class Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The link is drawn like one; a click anywhere on the label opens it.
class LinkLabel : public QLabel {
public:
    LinkLabel(std::function<void()> clicked, QWidget* parent) : QLabel(parent), clicked_(std::move(clicked)) {
        setCursor(Qt::PointingHandCursor);
        QFont underlined = font();
        underlined.setUnderline(true);
        setFont(underlined);
        QPalette palette = this->palette();
        palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
        setPalette(palette);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        clicked_();
    }

private:
    std::function<void()> clicked_;
};

}  // namespace

std::string CreditList(int languageBase) {
    std::string list;
    for (const TextId id : kCredits) {
        list += Text(languageBase, id);
        if (id == kCredits.back()) break;
        list += "\r\n";
        if (std::find(kGroupEnds.begin(), kGroupEnds.end(), id) != kGroupEnds.end()) list += "\r\n";
    }
    return list;
}

std::string VersionLine(int languageBase) {
    return Text(languageBase, TextId::VersionLabel) + " " + TARNWERK_VERSION + " - " +
           Text(languageBase, TextId::LicenceLabel);
}

frmInfo::frmInfo(int languageBase, Desktop& desktop, DialogHost& host, QWidget* parent)
    : QDialog(parent), languageBase_(languageBase), desktop_(desktop), host_(host) {
    setObjectName(QStringLiteral("frmInfo"));

    auto* icon = Named(new QLabel(this), "imgIcon");
    icon->setPixmap(QPixmap::fromImage(ApplicationIcon(kIconSize)));
    auto* title = Named(new QLabel(QString::fromLatin1(kProductName), this), "lblTitle");
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPixelSize(titleFont.pixelSize() > 0 ? titleFont.pixelSize() * 2 : 22);
    title->setFont(titleFont);
    auto* version = Named(new QLabel(ToQ(VersionLine(languageBase_)), this), "lblVersion");
    auto* copyright = Named(new QLabel(ToQ(kLegalNotice), this), "lblCopyright");
    lblLink_ = Named(new LinkLabel([this] { OpenHomePage(); }, this), "lblLink");
    lblLink_->setText(QString::fromLatin1(TARNWERK_HOME_PAGE));
    lblLink_->setToolTip(ToQ(Text(languageBase_, TextId::HomePageTip)));
    for (QLabel* label : {title, version, copyright, static_cast<QLabel*>(lblLink_)}) {
        label->setTextFormat(Qt::PlainText);
    }

    auto* warning = Named(new QLabel(this), "lblAchtung");
    QFont bold = warning->font();
    bold.setBold(true);
    warning->setFont(bold);
    auto* legal = Named(new QLabel(this), "lblUHG");
    legal->setWordWrap(true);

    auto* creditsFrame = Named(new QGroupBox(this), "frmExtInfo");
    auto* credits = Named(new QPlainTextEdit(creditsFrame), "txtExtInfo");
    credits->setReadOnly(true);
    credits->setLineWrapMode(QPlainTextEdit::NoWrap);
    credits->setPlainText(MessageText(CreditList(languageBase_)));
    const QFontMetrics metrics(credits->font());
    credits->setMinimumSize(metrics.averageCharWidth() * kCreditColumns, metrics.lineSpacing() * kCreditLinesShown);
    auto* creditsLayout = new QVBoxLayout(creditsFrame);
    creditsLayout->addWidget(credits);

    auto* ok = Named(new QPushButton(this), "cmdOk");
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });

    auto* head = new QGridLayout;
    head->addWidget(icon, 0, 0, 4, 1, Qt::AlignTop);
    head->addWidget(title, 0, 1);
    head->addWidget(version, 1, 1);
    head->addWidget(copyright, 2, 1);
    head->addWidget(lblLink_, 3, 1, Qt::AlignLeft);
    head->setColumnStretch(1, 1);
    head->setHorizontalSpacing(12);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(creditsFrame);
    layout->addWidget(warning);
    layout->addWidget(legal);
    layout->addLayout(buttons);

    ApplyLanguage(*this, "frmInfo", languageBase_);
    setWindowTitle(ToQ(" " + Text(languageBase_, TextId::AboutTitle) + " " + kProductName));
}

void frmInfo::OpenHomePage() {
    const int languageBase = languageBase_;
    DialogHost& host = host_;
    QWidget* parent = parentWidget();
    // The browser may end after this box has closed; the failure is then shown over the window.
    const auto ended = [languageBase, &host, parent](bool shown) {
        if (shown) return;
        Message failure;
        failure.text = Text(languageBase, TextId::BrowserFailedText);
        failure.icon = MessageIcon::Critical;
        failure.title = Text(languageBase, TextId::BrowserFailedTitle);
        ShowMessageBox(host, parent, failure);
    };
    if (!desktop_.Open(FromQ(lblLink_->text()), ended)) ended(false);
}

}  // namespace tarnwerk
