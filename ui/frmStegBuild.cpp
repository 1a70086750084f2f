// frmSteg's controls and menus, placed at their designed twips positions; a wider window
// stretches the groups and the path fields.
#include <QAction>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <initializer_list>

#include "ui/FileDrop.h"
#include "ui/Pictures.h"
#include "ui/StatusPanels.h"
#include "ui/TwipsLayout.h"
#include "ui/frmSteg.h"

namespace tarnwerk {
namespace {

constexpr int kDropImageSize = 32;
constexpr int kLabelGap = 8;  // pixels between a label's text and the field beside it

// How a control follows extra window width: not at all, growing, or moving right.
constexpr const char* kDesignRect = "designRect";
constexpr const char* kStretch = "stretch";
enum class Stretch { None, Grow, Move };

template <class Widget>
Widget* Place(Widget* widget, const char* name, const QRect& geometry, Stretch stretch = Stretch::None) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    widget->setProperty(kDesignRect, geometry);
    widget->setProperty(kStretch, static_cast<int>(stretch));
    return widget;
}

void Restretch(QWidget* widget, int extraWidth) {
    const auto stretch = static_cast<Stretch>(widget->property(kStretch).toInt());
    QRect rect = widget->geometry();
    if (stretch == Stretch::Grow) rect.setWidth(rect.width() + extraWidth);
    if (stretch == Stretch::Move) rect.moveLeft(rect.left() + extraWidth);
    widget->setGeometry(rect);
}

QLabel* Label(QWidget* parent, const char* name, const QRect& geometry, Stretch stretch = Stretch::None) {
    auto* label = Place(new QLabel(parent), name, geometry, stretch);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLineEdit* PathField(QWidget* parent, const char* name, const QRect& geometry) {
    return Place(new QLineEdit(parent), name, geometry, Stretch::Grow);
}

// The information fields read like labels: read-only, no frame, the window's background.
QLineEdit* InfoField(QWidget* parent, const char* name, const QRect& geometry) {
    auto* field = Place(new QLineEdit(parent), name, geometry, Stretch::Grow);
    field->setReadOnly(true);
    field->setFrame(false);
    field->setFocusPolicy(Qt::NoFocus);
    field->setTextMargins(0, 0, 0, 0);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    field->setPalette(palette);
    return field;
}

QPushButton* Button(QWidget* parent, const char* name, const QRect& geometry, Stretch stretch = Stretch::None) {
    auto* button = Place(new QPushButton(parent), name, geometry, stretch);
    button->setAutoDefault(false);
    return button;
}

QLabel* DropImage(QWidget* parent, const char* name, const QImage& picture) {
    auto* image = Place(new QLabel(parent), name, TwipsRect(90, 90, 480, 480));
    image->setPixmap(QPixmap::fromImage(picture));
    return image;
}

QWidget* PictureBox(QWidget* parent, const char* name, const QRect& geometry) {
    return Place(new QWidget(parent), name, geometry, Stretch::Grow);
}

QAction* Entry(QMenu* menu, const char* name) {
    QAction* action = menu->addAction(QString());
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void Separator(QMenu* menu, const char* name) { menu->addSeparator()->setObjectName(QString::fromLatin1(name)); }

QMenu* TopMenu(QMenuBar* bar, const char* name) {
    QMenu* menu = bar->addMenu(QString());
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

// Widens a column of labels to its longest text where the planned width is too narrow for
// the font (or a translation); the fields beside them move right and keep their right edge.
void FitColumn(std::initializer_list<QLabel*> labels, std::initializer_list<QWidget*> fields, int plannedFieldLeft) {
    int needed = 0;
    for (QLabel* label : labels) {
        needed = std::max(needed, label->x() + label->fontMetrics().horizontalAdvance(label->text()) + kLabelGap);
    }
    const int fieldLeft = std::max(plannedFieldLeft, needed);
    for (QLabel* label : labels) label->resize(fieldLeft - kLabelGap - label->x(), label->height());
    for (QWidget* field : fields) {
        const int right = field->geometry().right();
        field->setGeometry(fieldLeft, field->y(), right - fieldLeft + 1, field->height());
    }
}

}  // namespace

void frmSteg::BuildCarrierGroup(QWidget* client) {
    auto* frame = Place(new QGroupBox(client), "frameCarrierFile", TwipsRect(90, 90, 7800, 1680), Stretch::Grow);
    QWidget* box = PictureBox(frame, "Picture1", TwipsRect(45, 225, 7710, 1410));
    QLabel* image = DropImage(box, "Image2", CarrierPicture(kDropImageSize));
    Label(box, "lblCarrierFileName", TwipsRect(720, 45, 6945, 195), Stretch::Grow);
    txtOrigFile_ = PathField(box, "txtOrigFile", TwipsRect(720, 270, 6495, 285));
    txtOrigFile_->setReadOnly(true);  // the carrier is known only through loading it
    cmdOrigSel_ = Button(box, "cmdOrigSel", TwipsRect(7245, 270, 375, 285), Stretch::Move);
    cmdOrigSel_->setText(QStringLiteral("..."));
    Label(box, "lblCarrierType", TwipsRect(720, 675, 1500, 195));
    txtOTyp_ = InfoField(box, "txtOTyp", TwipsRect(2250, 675, 5415, 195));
    Label(box, "lblCarrierSize", TwipsRect(720, 900, 1500, 195));
    txtOSize_ = InfoField(box, "txtOSize", TwipsRect(2250, 900, 5415, 195));
    Label(box, "lblCarrierFree", TwipsRect(720, 1125, 1500, 195));
    txtOFree_ = InfoField(box, "txtOFree", TwipsRect(2250, 1125, 5415, 195));

    carrierDrop_ =
        new FileDropFilter([this](const std::vector<std::string>& files) { commands_.DropCarrier(files); }, this);
    carrierDrop_->Watch(txtOrigFile_);
    carrierDrop_->Watch(image);
}

void frmSteg::BuildDataGroup(QWidget* client) {
    auto* frame = Place(new QGroupBox(client), "frameDataFile", TwipsRect(90, 1845, 7800, 1455), Stretch::Grow);
    QWidget* box = PictureBox(frame, "Picture2", TwipsRect(45, 225, 7710, 1185));
    QLabel* image = DropImage(box, "Image1", DataPicture(kDropImageSize));
    Label(box, "lblDataFileName", TwipsRect(720, 45, 6945, 195), Stretch::Grow);
    txtDataFile_ = PathField(box, "txtDataFile", TwipsRect(720, 270, 6495, 285));
    cmdDataSel_ = Button(box, "cmdDataSel", TwipsRect(7245, 270, 375, 285), Stretch::Move);
    cmdDataSel_->setText(QStringLiteral("..."));
    Label(box, "lblDataOrigSize", TwipsRect(720, 675, 1500, 195));
    txtDOrigSize_ = InfoField(box, "txtDOrigSize", TwipsRect(2250, 675, 5415, 195));
    Label(box, "lblDataSize", TwipsRect(720, 900, 1500, 195));
    txtDSize_ = InfoField(box, "txtDSize", TwipsRect(2250, 900, 5415, 195));

    dataDrop_ =
        new FileDropFilter([this](const std::vector<std::string>& files) { commands_.DropDataFile(files); }, this);
    dataDrop_->Watch(txtDataFile_);
    dataDrop_->Watch(image);
}

void frmSteg::BuildProcessRow(QWidget* client) {
    Label(client, "lblProcess", TwipsRect(90, 3375, 1590, 195));
    QWidget* placeholder = PictureBox(client, "picProgBarSize", TwipsRect(1710, 3375, 6180, 195));
    progressBar_ = new QProgressBar(placeholder);
    progressBar_->setObjectName(QStringLiteral("ProgressBar"));
    progressBar_->setGeometry(0, 0, placeholder->width(), placeholder->height());
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);

    constexpr int kButtonTop = 3690;
    cmdOptions_ = Button(client, "cmdOptions", TwipsRect(90, kButtonTop, 1500, 375));
    cmdReset_ = Button(client, "cmdReset", TwipsRect(1710, kButtonTop, 1500, 375));
    // Takes Reset's place while a long command runs.
    cmdCancel_ = Button(client, "cmdCancel", TwipsRect(1710, kButtonTop, 1500, 375));
    cmdCancel_->hide();
    cmdExtract_ = Button(client, "cmdExtract", TwipsRect(3240, kButtonTop, 1500, 375));
    cmdHide_ = Button(client, "cmdHide", TwipsRect(4770, kButtonTop, 1500, 375));
    cmdClose_ = Button(client, "cmdClose", TwipsRect(6390, kButtonTop, 1500, 375), Stretch::Move);

    statusBar_ = new clsStatusBar(client, kClientWidth, kClientHeight);
}

void frmSteg::BuildMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = TopMenu(bar, "mnuDatei");
    connect(Entry(file, "mnuDateiCarrierOpen"), &QAction::triggered, this, [this] { cmdOrigSel_Click(); });
    connect(Entry(file, "mnuDateiCarrierView"), &QAction::triggered, this,
            [this] { Run([this] { commands_.ShowCarrier(); }); });
    connect(Entry(file, "mnuDateiCarrierSend"), &QAction::triggered, this,
            [this] { RunOnWorker(LongCommand::SendCarrier); });
    connect(Entry(file, "mnuDateiCarrierSize"), &QAction::triggered, this,
            [this] { RunOnWorker(LongCommand::NeededSize); });
    connect(Entry(file, "mnuDateiDataOpen"), &QAction::triggered, this, [this] { cmdDataSel_Click(); });
    Separator(file, "mnuDateiStrich1");
    connect(Entry(file, "mnuDateiHide"), &QAction::triggered, this, [this] { RunOnWorker(LongCommand::Hide); });
    connect(Entry(file, "mnuDateiHideAndMail"), &QAction::triggered, this,
            [this] { RunOnWorker(LongCommand::HideAndSend); });
    Separator(file, "mnuStrich3");
    connect(Entry(file, "mnuDateiExtract"), &QAction::triggered, this, [this] { RunOnWorker(LongCommand::Extract); });
    connect(Entry(file, "mnuDateiExportData"), &QAction::triggered, this, [this] { RunOnWorker(LongCommand::Export); });
    Separator(file, "mnuDateiStrich2");
    connect(Entry(file, "mnuDateiReset"), &QAction::triggered, this, [this] { Run([this] { commands_.Reset(); }); });
    Separator(file, "mnuDateiStrich3");
    connect(Entry(file, "mnuDateiBeenden"), &QAction::triggered, this, [this] { mnuDateiBeenden_Click(); });

    QMenu* extras = TopMenu(bar, "mnuExtras");
    connect(Entry(extras, "mnuExtrasOptionen"), &QAction::triggered, this, [this] { mnuExtrasOptionen_Click(); });

    QMenu* help = TopMenu(bar, "mnuHilfe");
    connect(Entry(help, "mnuHilfeHelp"), &QAction::triggered, this, [this] { Run([this] { commands_.ShowHelp(); }); });
    Separator(help, "mnuHilfeStrich1");
    connect(Entry(help, "mnuHilfeInfo"), &QAction::triggered, this, [this] { mnuHilfeInfo_Click(); });
}

void frmSteg::FitLabelColumns() {
    auto label = [this](const char* name) { return findChild<QLabel*>(QString::fromLatin1(name)); };
    auto widget = [this](const char* name) { return findChild<QWidget*>(QString::fromLatin1(name)); };
    // One column through both groups, which sit at the same left edge, so the values line up.
    FitColumn({label("lblCarrierType"), label("lblCarrierSize"), label("lblCarrierFree"), label("lblDataOrigSize"),
               label("lblDataSize")},
              {txtOTyp_, txtOSize_, txtOFree_, txtDOrigSize_, txtDSize_}, Px(2250));
    QWidget* placeholder = widget("picProgBarSize");
    FitColumn({label("lblProcess")}, {placeholder}, Px(1710));
    progressBar_->setGeometry(0, 0, placeholder->width(), placeholder->height());
}

void frmSteg::ArrangeControls() {
    const QList<QWidget*> placed = client_->findChildren<QWidget*>();
    for (QWidget* widget : placed) {
        if (widget->property(kDesignRect).isValid()) widget->setGeometry(widget->property(kDesignRect).toRect());
    }
    FitLabelColumns();
    const int extraWidth = std::max(0, client_->width() - kClientWidth);
    for (QWidget* widget : placed) Restretch(widget, extraWidth);
    // The separator line under the menu and the status bar span the whole width.
    if (auto* line = findChild<QFrame*>(QStringLiteral("lineMenu"))) line->resize(client_->width(), line->height());
    progressBar_->setGeometry(0, 0, progressBar_->parentWidget()->width(), progressBar_->parentWidget()->height());
    statusBar_->PlaceAtBottom(client_->width(), client_->height());
}

}  // namespace tarnwerk
