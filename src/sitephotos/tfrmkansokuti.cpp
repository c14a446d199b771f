#include "sitephotos/tfrmkansokuti.h"

#include "datalist/lesson.h"
#include "ui/panepicture.h"
#include "ui/scaling.h"
#include "ui/timage.h"
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

TfrmKansokuti::TfrmKansokuti(Lesson& lesson, const ScreenMetrics& screen, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      lesson_(lesson) {
    setObjectName(QStringLiteral("frmKansokuti"));
    setWindowTitle(QStringLiteral("私たちの地域の様子"));
    setFont(DesignFont());
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_QuitOnClose, false);

    auto image = [&](const char* name, int left, int top) {
        return layout_.Place(new TImage(this), name, {left, top, 200, 150}, ScaleKind::All);
    };
    ImgNorth = image("ImgNorth", 216, 32);
    ImgWest = image("ImgWest", 8, 112);
    ImgEast = image("ImgEast", 424, 112);
    ImgSouth = image("ImgSouth", 216, 192);

    BitBtn1 = layout_.Place(new QPushButton(QStringLiteral("閉じる(&C)"), this), "BitBtn1",
                            {536, 24, 81, 33}, ScaleKind::All);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    // Clicking it takes the focus, which ends an open title edit unsaved.
    BitBtn1->setFocusPolicy(Qt::StrongFocus);
    connect(BitBtn1, &QPushButton::clicked, this, &QWidget::close);

    auto label = [&](const char* name, int left, int top, const QString& text) {
        auto* l =
            layout_.Place(new QLabel(text, this), name, {left, top, 36, 12}, ScaleKind::KeepHeight);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    lblNorth = label("lblNorth", 296, 8, QStringLiteral("北の空"));
    lblWest = label("lblWest", 88, 272, QStringLiteral("西の空"));
    lblSouth = label("lblSouth", 296, 352, QStringLiteral("南の空"));
    lblEast = label("lblEast", 504, 272, QStringLiteral("東の空"));

    auto edit = [&](const char* name, int left, int top) {
        return layout_.Place(new QLineEdit(this), name, {left, top, 73, 20}, ScaleKind::KeepWidth);
    };
    edtNorthTitle = edit("edtNorthTitle", 296, 8);
    edtSouthTitle = edit("edtSouthTitle", 296, 352);
    edtWestTitle = edit("edtWestTitle", 88, 272);
    edtEastTitle = edit("edtEastTitle", 504, 272);
    QWidget* order[] = {BitBtn1, edtNorthTitle, edtSouthTitle, edtWestTitle, edtEastTitle};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    auto title = [&](ImageSlot slot, QLabel* titleLabel, QLineEdit* titleEdit) {
        return new TitleEditor(lesson_, slotIndex(slot), titleLabel, titleEdit, this);
    };
    titleEditors_ = {title(ImageSlot::North, lblNorth, edtNorthTitle),
                     title(ImageSlot::South, lblSouth, edtSouthTitle),
                     title(ImageSlot::West, lblWest, edtWestTitle),
                     title(ImageSlot::East, lblEast, edtEastTitle)};

    FormCreate(screen);
}

void TfrmKansokuti::FormCreate(const ScreenMetrics& screen) {
    // Scaled whatever the screen: below 640 the controls shrink in a window
    // that keeps its designed size, where that fits the screen.
    const SkyWindowScaling scaling = SkyWindowScale(screen.width, screen.scaleFactor, screen.area);
    outerSize_ = scaling.outer;
    layout_.Apply(scaling.scaleFactor);
    // Centred at the first showing; later it reopens where it was left.
    new OuterSizeKeeper(this, outerSize_, [this](QSize client) { resize(client); });
}

void TfrmKansokuti::closeEvent(QCloseEvent* event) {
    // However the window is closed, a title edit still open is dropped, as
    // when the close button takes the focus.
    for (TitleEditor* title : titleEditors_) title->Cancel();
    QWidget::closeEvent(event);
}

void TfrmKansokuti::fitLabels() {
    // A title label grows to its caption, as a renamed title may be longer.
    for (QLabel* l : {lblNorth, lblWest, lblSouth, lblEast})
        l->resize(std::max(l->width(), l->sizeHint().width()), l->height());
}

bool TfrmKansokuti::event(QEvent* e) {
    switch (e->type()) {
    case QEvent::LayoutRequest: fitLabels(); break; // a label's text changed
    default: break;
    }
    return QWidget::event(e);
}

void TfrmKansokuti::ShowSkyPhotos(const SlotPaths& rowPaths) {
    // Each load stands alone; the order is the one the window has always used.
    const QString& listFile = lesson_.filePath();
    LoadPaneOrClear(*ImgNorth, rowPaths[slotIndex(ImageSlot::North)], listFile);
    LoadPaneOrClear(*ImgWest, rowPaths[slotIndex(ImageSlot::West)], listFile);
    LoadPaneOrClear(*ImgSouth, rowPaths[slotIndex(ImageSlot::South)], listFile);
    LoadPaneOrClear(*ImgEast, rowPaths[slotIndex(ImageSlot::East)], listFile);
    show();
    raise();
    activateWindow();
}

} // namespace nubivu
