#include "sitephotos/tfrmkansokuti.h"

#include "datalist/sharedstate.h"
#include "slideshow/panepicture.h"
#include "slideshow/titleeditor.h"
#include "ui/scaling.h"
#include "ui/timage.h"
#include "ui/uifont.h"
#include "ui/windowframe.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

namespace nubivu {

namespace {
constexpr QSize kDesignedOuter(640, 405);
}

TfrmKansokuti::TfrmKansokuti(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmKansokuti"));
    setWindowTitle(QStringLiteral("私たちの地域の様子"));
    setFont(DesignFont());
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_QuitOnClose, false);

    auto image = [&](const char* name, int left, int top) {
        return place(new TImage(this), name, {left, top, 200, 150}, ScaleKind::All);
    };
    ImgNorth = image("ImgNorth", 216, 32);
    ImgWest = image("ImgWest", 8, 112);
    ImgEast = image("ImgEast", 424, 112);
    ImgSouth = image("ImgSouth", 216, 192);

    BitBtn1 = place(new QPushButton(QStringLiteral("閉じる(&C)"), this), "BitBtn1",
                    {536, 24, 81, 33}, ScaleKind::All);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    // Clicking it takes the focus, which ends an open title edit unsaved.
    BitBtn1->setFocusPolicy(Qt::StrongFocus);
    connect(BitBtn1, &QPushButton::clicked, this, &QWidget::close);

    auto label = [&](const char* name, int left, int top, const QString& text) {
        auto* l = place(new QLabel(text, this), name, {left, top, 36, 12}, ScaleKind::KeepHeight);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    lblNorth = label("lblNorth", 296, 8, QStringLiteral("北の空"));
    lblWest = label("lblWest", 88, 272, QStringLiteral("西の空"));
    lblSouth = label("lblSouth", 296, 352, QStringLiteral("南の空"));
    lblEast = label("lblEast", 504, 272, QStringLiteral("東の空"));

    auto edit = [&](const char* name, int left, int top) {
        return place(new QLineEdit(this), name, {left, top, 73, 20}, ScaleKind::KeepWidth);
    };
    edtNorthTitle = edit("edtNorthTitle", 296, 8);
    edtSouthTitle = edit("edtSouthTitle", 296, 352);
    edtWestTitle = edit("edtWestTitle", 88, 272);
    edtEastTitle = edit("edtEastTitle", 504, 272);
    QWidget* order[] = {BitBtn1, edtNorthTitle, edtSouthTitle, edtWestTitle, edtEastTitle};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    new TitleEditor(lblNorth, edtNorthTitle, this);
    new TitleEditor(lblSouth, edtSouthTitle, this);
    new TitleEditor(lblWest, edtWestTitle, this);
    new TitleEditor(lblEast, edtEastTitle, this);

    FormCreate();
}

template <class W>
W* TfrmKansokuti::place(W* widget, const char* name, QRect designed, ScaleKind kind) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(designed);
    placed_.push_back({widget, designed, kind});
    return widget;
}

void TfrmKansokuti::FormCreate() {
    outerSize_ = ScreenWidth >= ThresholdWidth
                     ? QSize(Scaled(kDesignedOuter.width(), ScaleFactor),
                             Scaled(kDesignedOuter.height(), ScaleFactor))
                     : kDesignedOuter;
    // Scaled whatever the screen: below 640 the controls shrink in a window
    // that keeps its designed size.
    for (const Placed& p : placed_)
        p.widget->setGeometry(ScaledGeometry(p.designed, p.kind, ScaleFactor));
    resize(ClientSizeWithin(*this, outerSize_));
}

void TfrmKansokuti::fitLabels() {
    // A title label grows to its caption, as a renamed title may be longer.
    for (QLabel* l : {lblNorth, lblWest, lblSouth, lblEast})
        l->resize(std::max(l->width(), l->sizeHint().width()), l->height());
}

bool TfrmKansokuti::event(QEvent* e) {
    switch (e->type()) {
    case QEvent::LayoutRequest: fitLabels(); break; // a label's text changed
    case QEvent::Show:
        if (!shownBefore_) {
            shownBefore_ = true;
            // The window manager reports its frame only after the first show.
            // Centred that first time; later it reopens where it was left.
            QTimer::singleShot(0, this, [this] {
                resize(ClientSizeWithin(*this, outerSize_));
                CentreOnScreen(*this);
            });
        }
        break;
    default: break;
    }
    return QWidget::event(e);
}

void TfrmKansokuti::ShowSkyPhotos() {
    // Each load stands alone; the order is the one the window has always used.
    LoadPaneOrClear(*ImgNorth, CurrentPaths[slotIndex(ImageSlot::North)]);
    LoadPaneOrClear(*ImgWest, CurrentPaths[slotIndex(ImageSlot::West)]);
    LoadPaneOrClear(*ImgSouth, CurrentPaths[slotIndex(ImageSlot::South)]);
    LoadPaneOrClear(*ImgEast, CurrentPaths[slotIndex(ImageSlot::East)]);
    show();
    raise();
    activateWindow();
    KeepRowOnActivate = true;
}

} // namespace nubivu
