#pragma once
// The row on the projector: the three panes side by side at the largest size
// that fits, aspect kept and letterboxed on black, with titles, file names
// and the counter; or one pane alone. Scaling is smooth. It owns no row
// state: the window that shows it hands it each row and acts on the
// commands it passes on.
#include "ui/fullscreenlayout.h"
#include "ui/playkeys.h"

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <array>

namespace nubivu {

class Graphic;

// A pane's picture as pixels for the full-screen view: the decoded pixels of
// a bitmap or JPEG as they stand, or the picture drawn at its own size
// (metafiles, icons). Null for no picture. Raises as drawing it would (a
// JPEG data error met on first decode).
QImage pictureImage(Graphic* graphic);

struct FullScreenPane {
    QImage picture; // null: the pane stays black
    QString title;
    QString fileName;
};

class FullScreenView : public QWidget {
    Q_OBJECT
public:
    static constexpr int PaneCount = 3;

    explicit FullScreenView(QWidget* parent = nullptr);

    // time: the row's moment beside the counter, or empty.
    void showRow(const std::array<FullScreenPane, PaneCount>& panes, int row, int rowCount,
                 const QString& time = QString());
    // Full screen on that screen (the main window's).
    void showOn(QScreen* screen);
    // A short note at the top left (the speed just picked) for a moment.
    void showNote(const QString& text);
    QString note() const { return note_; }

    // The pane shown alone (0 ... 2), or -1 for all three.
    int solePane() const { return solePane_; }
    bool blanked() const { return blanked_; }
    // The counter as the main window shows it: "5枚目(24枚中)".
    QString counterText() const;
    QString timeText() const { return time_; }
    // Where things are painted now.
    FullScreenRects rects() const;

Q_SIGNALS:
    // A key of the play table that the view does not act on itself.
    void commandRequested(nubivu::PlayCommand command);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::vector<int> shownPanes() const;
    int lineHeight() const;
    // The pane's picture scaled to size, made once per row and size.
    const QImage& scaled(int pane, QSize size);

    std::array<FullScreenPane, PaneCount> panes_;
    std::array<QImage, PaneCount> scaled_;
    int row_ = 0;
    int rowCount_ = 0;
    QString time_;
    int solePane_ = -1;
    bool blanked_ = false;
    QString note_;
    QTimer noteTimer_;
};

} // namespace nubivu
