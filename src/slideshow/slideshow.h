#pragma once
// The slide show on the main window's panes: showing a row, stepping,
// returning and playing, and which buttons are enabled or visible meanwhile.
// It works on the controls it is given, so the window itself stays thin, and
// it owns the state of the show: the row on show, its paths, the paths
// loaded last, the fill-in settings and the requests to stop and to keep the row.
#include "datalist/imageslot.h"
#include "slideshow/filloptions.h"

#include <QObject>
#include <QTimer>
#include <array>

class QAction;
class QLabel;
class QPushButton;
class QWidget;

namespace nubivu {

class Lesson;
class PicturePane;

struct SlideShowControls {
    QWidget* window = nullptr; // repainted whole after each played row
    std::array<PicturePane*, MainSlotCount> panes{};
    std::array<QLabel*, MainSlotCount> fileNames{};
    QLabel* rowNumber = nullptr; // Label4
    QLabel* rowCount = nullptr;  // Label6
    QPushButton* play = nullptr;
    QPushButton* stepForward = nullptr;
    QPushButton* stop = nullptr;
    QPushButton* stepBack = nullptr;
    QPushButton* back = nullptr; // return to row 1
    QPushButton* skyPhotos = nullptr;
    QPushButton* quit = nullptr;
    QAction* edit = nullptr; // the editor's menu item
};

class SlideShow : public QObject {
    Q_OBJECT
public:
    SlideShow(const SlideShowControls& controls, Lesson& lesson, QObject* parent = nullptr);

    // Shows the row on show (when it is a data row) and sets the buttons.
    void showRow();
    // The main window became active: counters, row 1 unless kept, then the row.
    void onActivated();

    // Plays from the row on show to the last row, one row per pass of the
    // event loop; a play already running ignores the call.
    void Play();
    void Stop();
    void StepForward();
    void StepBack();
    void Return();

    bool Playing() const { return playing_; }

    // 1-based number of the data row on show (0 before the first activation).
    int currentRow() const { return currentRow_; }
    // The seven paths of the row loaded last, after fill-in.
    const SlotPaths& currentPaths() const { return currentPaths_; }
    // Per slot, the last non-empty path met while loading rows.
    const SlotPaths& lastPaths() const { return lastPaths_; }
    // Both path sets at once: emptied for another list, rebased after a save.
    void setLoadedPaths(const SlotPaths& current, const SlotPaths& last);

    // The next activation keeps the row on show (the sky window was opened).
    void keepRowOnNextActivation() { keepRowOnActivate_ = true; }
    bool keepsRowOnActivation() const { return keepRowOnActivate_; }
    // Stop was pressed; the running play meets it at its next row.
    bool stopRequested() const { return stopRequested_; }

    // Read afresh for every row loaded, so a toggle takes effect with the next row.
    const FillOptions& fillOptions() const { return fillOptions_; }
    void setFillOptions(const FillOptions& options) { fillOptions_ = options; }

private:
    int rowCount() const;
    void playStep();
    void endPlay();
    void setPlayLayout(bool playing);

    SlideShowControls c_;
    Lesson& lesson_;
    int currentRow_ = 0;
    SlotPaths currentPaths_;
    SlotPaths lastPaths_;
    FillOptions fillOptions_;
    bool keepRowOnActivate_ = false;
    bool stopRequested_ = false;
    QTimer playTimer_;
    bool playing_ = false;
};

} // namespace nubivu
