#include "ui/fullscreenview.h"

#include "pictures/bitmap.h"
#include "pictures/jpegimage.h"
#include "pictures/smoothscale.h"
#include "ui/uifont.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace nubivu {

QImage pictureImage(Graphic* graphic) {
    if (!graphic || graphic->empty()) return QImage();
    if (auto* jpeg = dynamic_cast<JpegImage*>(graphic)) return jpeg->bitmap().image();
    if (auto* bitmap = dynamic_cast<Bitmap*>(graphic)) return bitmap->image();
    // Drawn pictures have no pixels of their own; a metafile may claim any size.
    const QSize size =
        QSize(std::abs(graphic->width()), std::abs(graphic->height())).boundedTo(QSize(4096, 4096));
    if (size.isEmpty()) return QImage();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    graphic->drawInto(painter, image.rect());
    return image;
}

FullScreenView::FullScreenView(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("fullScreenView"));
    setWindowTitle(QStringLiteral("Nubivu"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::BlankCursor);
    setFocusPolicy(Qt::StrongFocus);
    noteTimer_.setSingleShot(true);
    noteTimer_.setInterval(1500);
    connect(&noteTimer_, &QTimer::timeout, this, [this] {
        note_.clear();
        update();
    });
}

void FullScreenView::showNote(const QString& text) {
    note_ = text;
    noteTimer_.start();
    update();
}

void FullScreenView::showRow(const std::array<FullScreenPane, PaneCount>& panes, int row,
                             int rowCount, const QString& time) {
    time_ = time;
    panes_ = panes;
    for (QImage& image : scaled_) image = QImage();
    row_ = row;
    rowCount_ = rowCount;
    update();
}

void FullScreenView::showOn(QScreen* screen) {
    if (screen) {
        setScreen(screen);
        setGeometry(screen->geometry());
    }
    showFullScreen();
    raise();
    activateWindow();
}

QString FullScreenView::counterText() const {
    if (rowCount_ <= 0) return QString();
    return QStringLiteral("%1枚目(%2枚中)").arg(row_).arg(rowCount_);
}

std::vector<int> FullScreenView::shownPanes() const {
    if (solePane_ >= 0) return {solePane_};
    return {0, 1, 2};
}

int FullScreenView::lineHeight() const {
    // Readable from the back of a classroom.
    return std::max(16, height() / 36);
}

FullScreenRects FullScreenView::rects() const {
    std::vector<QSize> sizes;
    for (int pane : shownPanes()) sizes.push_back(panes_[size_t(pane)].picture.size());
    return layOutFullScreen(size(), sizes, lineHeight());
}

const QImage& FullScreenView::scaled(int pane, QSize size) {
    QImage& cached = scaled_[size_t(pane)];
    const QImage& source = panes_[size_t(pane)].picture;
    if (cached.size() != size && !source.isNull())
        // Area-averaged on reduction, bilinear on enlargement: never blocky.
        cached = canScaleSmoothly(source)
                     ? scaledSmoothly(source, size)
                     : source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return cached;
}

void FullScreenView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_0: solePane_ = -1; break;
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3: solePane_ = event->key() - Qt::Key_1; break;
    case Qt::Key_B: blanked_ = !blanked_; break;
    default:
        if (const std::optional<PlayCommand> command = playCommandForKey(event->key())) {
            Q_EMIT commandRequested(*command);
            return;
        }
        QWidget::keyPressEvent(event);
        return;
    }
    update();
}

void FullScreenView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    update();
}

void FullScreenView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (blanked_) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    const FullScreenRects layout = rects();
    const std::vector<int> shown = shownPanes();
    // Scaled before the screen is filled, and the last-decoded picture
    // first: a new row's pictures are then read while still in the cache.
    for (size_t i = shown.size(); i-- > 0;) scaled(shown[i], layout.panes[i].picture.size());
    painter.fillRect(rect(), Qt::black);
    QFont font = designFont(lineHeight() * 3 / 4);
    painter.setFont(font);
    painter.setPen(Qt::white);
    for (size_t i = 0; i < shown.size(); ++i) {
        const int pane = shown[i];
        const FullScreenPaneRects& r = layout.panes[i];
        const QImage& picture = scaled(pane, r.picture.size());
        if (!picture.isNull()) painter.drawImage(r.picture.topLeft(), picture);
        const QFontMetrics metrics(font);
        const FullScreenPane& p = panes_[size_t(pane)];
        painter.drawText(r.title, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(p.title, Qt::ElideRight, r.title.width()));
        painter.drawText(r.fileName, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(p.fileName, Qt::ElideMiddle, r.fileName.width()));
    }
    const QString counter = counterText();
    painter.drawText(layout.counter, Qt::AlignRight | Qt::AlignVCenter, counter);
    if (!time_.isEmpty()) {
        // Left of the counter, a wide space apart, as on the main window.
        QRect time = layout.counter;
        time.setRight(time.right() - QFontMetrics(font).horizontalAdvance(counter + u"\u3000"));
        painter.drawText(time, Qt::AlignRight | Qt::AlignVCenter, time_);
    }
    if (!note_.isEmpty()) {
        QRect note = layout.counter;
        note.setWidth(note.width() / 2);
        painter.drawText(note, Qt::AlignLeft | Qt::AlignVCenter, note_);
    }
}

} // namespace nubivu
