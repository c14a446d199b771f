#include "sitephotos/skywindow.h"

#include "datalist/lesson.h"
#include "ui/errorreport.h"
#include "ui/panepicture.h"
#include "ui/picturepane.h"
#include "ui/scaling.h"
#include "ui/titleeditor.h"
#include "ui/uifont.h"
#include "ui/windowframe.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

namespace nubivu {

SkyWindow::SkyWindow(Lesson& lesson, const FormatRegistry& formats, const ScreenMetrics& screen,
                     Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      lesson_(lesson), formats_(formats) {
    setObjectName(QStringLiteral("frmKansokuti"));
    setWindowTitle(QStringLiteral("私たちの地域の様子"));
    setFont(designFont());
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_QuitOnClose, false);

    auto image = [&](const char* name, int left, int top) {
        auto* pane =
            layout_.place(new PicturePane(this), name, {left, top, 200, 150}, ScaleKind::All);
        pane->picture().setDecodeOptions(screen.decodeOptions());
        reportPaintFailures(*pane, prompter);
        return pane;
    };
    northPane_ = image("ImgNorth", 216, 32);
    westPane_ = image("ImgWest", 8, 112);
    eastPane_ = image("ImgEast", 424, 112);
    southPane_ = image("ImgSouth", 216, 192);

    closeButton_ = layout_.place(new QPushButton(QStringLiteral("閉じる(&C)"), this), "BitBtn1",
                                 {536, 24, 81, 33}, ScaleKind::All);
    closeButton_->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    // Clicking it takes the focus, which ends an open title edit unsaved.
    closeButton_->setFocusPolicy(Qt::StrongFocus);
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);

    auto label = [&](const char* name, int left, int top, const QString& text) {
        auto* l =
            layout_.place(new QLabel(text, this), name, {left, top, 36, 12}, ScaleKind::KeepHeight);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    northTitleLabel_ = label("lblNorth", 296, 8, QStringLiteral("北の空"));
    westTitleLabel_ = label("lblWest", 88, 272, QStringLiteral("西の空"));
    southTitleLabel_ = label("lblSouth", 296, 352, QStringLiteral("南の空"));
    eastTitleLabel_ = label("lblEast", 504, 272, QStringLiteral("東の空"));

    auto edit = [&](const char* name, int left, int top) {
        return layout_.place(new QLineEdit(this), name, {left, top, 73, 20}, ScaleKind::KeepWidth);
    };
    northTitleEdit_ = edit("edtNorthTitle", 296, 8);
    southTitleEdit_ = edit("edtSouthTitle", 296, 352);
    westTitleEdit_ = edit("edtWestTitle", 88, 272);
    eastTitleEdit_ = edit("edtEastTitle", 504, 272);
    QWidget* order[] = {closeButton_, northTitleEdit_, southTitleEdit_, westTitleEdit_,
                        eastTitleEdit_};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    auto title = [&](ImageSlot slot, QLabel* titleLabel, QLineEdit* titleEdit) {
        return new TitleEditor(lesson_, slotIndex(slot), titleLabel, titleEdit, this);
    };
    titleEditors_ = {title(ImageSlot::North, northTitleLabel_, northTitleEdit_),
                     title(ImageSlot::South, southTitleLabel_, southTitleEdit_),
                     title(ImageSlot::West, westTitleLabel_, westTitleEdit_),
                     title(ImageSlot::East, eastTitleLabel_, eastTitleEdit_)};

    createControls(screen);
}

void SkyWindow::createControls(const ScreenMetrics& screen) {
    // Scaled whatever the screen: below 640 the controls shrink in a window
    // that keeps its designed size, where that fits the screen.
    const SkyWindowScaling scaling = skyWindowScale(screen.width, screen.scaleFactor, screen.area);
    outerSize_ = scaling.outer;
    layout_.apply(scaling.scaleFactor);
    // Centred at the first showing; later it reopens where it was left.
    new OuterSizeKeeper(this, outerSize_, [this](QSize client) { resize(client); });
}

void SkyWindow::closeEvent(QCloseEvent* event) {
    // However the window is closed, a title edit still open is dropped, as
    // when the close button takes the focus.
    for (TitleEditor* title : titleEditors_) title->cancel();
    QWidget::closeEvent(event);
}

void SkyWindow::fitLabels() {
    // A title label grows to its caption, as a renamed title may be longer.
    for (QLabel* l : {northTitleLabel_, westTitleLabel_, southTitleLabel_, eastTitleLabel_})
        l->resize(std::max(l->width(), l->sizeHint().width()), l->height());
}

bool SkyWindow::event(QEvent* e) {
    switch (e->type()) {
    case QEvent::LayoutRequest: fitLabels(); break; // a label's text changed
    default: break;
    }
    return QWidget::event(e);
}

void SkyWindow::showSkyPhotos(const SlotPaths& rowPaths) {
    // Each load stands alone; the order is the one the window has always used.
    const QString& listFile = lesson_.filePath();
    loadPaneOrClear(formats_, *northPane_, rowPaths[slotIndex(ImageSlot::North)], listFile);
    loadPaneOrClear(formats_, *westPane_, rowPaths[slotIndex(ImageSlot::West)], listFile);
    loadPaneOrClear(formats_, *southPane_, rowPaths[slotIndex(ImageSlot::South)], listFile);
    loadPaneOrClear(formats_, *eastPane_, rowPaths[slotIndex(ImageSlot::East)], listFile);
    show();
    raise();
    activateWindow();
}

} // namespace nubivu
