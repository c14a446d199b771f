#pragma once
// The slide show on the main window's panes: showing a row, stepping,
// returning and playing, and which buttons are enabled or visible meanwhile.
// It works on the controls it is given, so the window itself stays thin, and
// it owns the state of the show: the row on show, its paths, the paths
// loaded last, the fill-in settings and the requests to stop and to keep the row.
// A play goes as fast as the pictures load unless a speed is set, and stops
// at the last row unless told to loop or rock; while a row is on screen the
// next one is decoded ahead on a worker thread.
#include "datalist/imageslot.h"
#include "slideshow/filloptions.h"
#include "slideshow/playorder.h"
#include "slideshow/playpacing.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <array>
#include <memory>

class QAction;
class QLabel;
class QPushButton;
class QWidget;

namespace nubivu {

class DecodeAhead;
class FormatRegistry;
class Lesson;
class PicturePane;
class Prompter;

struct SlideShowControls {
    QWidget* window = nullptr; // repainted whole after each played row
    std::array<PicturePane*, MainSlotCount> panes{};
    std::array<QLabel*, MainSlotCount> fileNames{};
    QLabel* rowNumber = nullptr; // Label4
    QLabel* rowCount = nullptr;  // Label6
    QLabel* rowTime = nullptr;   // the row's moment, where its lesson dates rows
    QPushButton* play = nullptr;
    QPushButton* stepForward = nullptr;
    QPushButton* stop = nullptr;
    QPushButton* stepBack = nullptr;
    QPushButton* back = nullptr; // return to the first row
    QPushButton* skyPhotos = nullptr;
    QPushButton* quit = nullptr;
    QAction* edit = nullptr; // the editor's menu item
};

class SlideShow : public QObject {
    Q_OBJECT
public:
    // Loads the panes' pictures through formats, which must outlive the show.
    // prompter: reports a failure met while decoding a row ahead, as the
    // pane's paint would have. Rows decode ahead with the panes' decode options.
    SlideShow(const SlideShowControls& controls, Lesson& lesson, const FormatRegistry& formats,
              Prompter& prompter, QObject* parent = nullptr);
    // Waits for a picture being decoded ahead.
    ~SlideShow() override;

    // Shows the row on show (when it is a data row) and sets the buttons.
    void showRow();
    // The main window became active: counters, the first row unless kept, then the row.
    void onActivated();

    // Plays from the row on show to the last row, one row per pass of the
    // event loop; a play already running ignores the call.
    void play();
    void stop();
    void stepForward();
    void stepBack();
    void returnToStart();
    // The last row, as the End key asks.
    void goToLastRow();

    bool playing() const { return playing_; }
    // The rows asked for ahead are all decoded; what tests wait on.
    bool decodedAhead() const;

    // Rows a second, or as fast as the pictures load (the default). A change
    // while playing acts on the row on show.
    void setSpeed(PlaySpeed speed);
    PlaySpeed speed() const { return pacer_.speed(); }
    // What a play does at the last row, and how long it holds there first.
    void setEndOfList(EndOfList mode) { order_.setMode(mode); }
    EndOfList endOfList() const { return order_.mode(); }
    void setHold(std::chrono::milliseconds hold) { order_.setHold(hold); }
    std::chrono::milliseconds hold() const { return order_.hold(); }
    // How much later than its slot the last played row came on screen.
    std::chrono::nanoseconds lastLateness() const { return pacer_.lastLateness(); }

    // The data row on show, from 0 (-1 before the first activation); the
    // counter shows it counted from 1.
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
    void setFillOptions(const FillOptions& options);

Q_SIGNALS:
    // A data row was loaded and painted.
    void rowShown();
    void playingChanged(bool playing);
    void speedChanged(nubivu::PlaySpeed speed);

private:
    // The list's rows, read afresh each time: it may change under a play.
    int rowCount() const;
    void loadPanes();
    void showRowTime();
    void decodeNextRow();
    QStringList resolvedPanePaths(const SlotPaths& paths) const;
    void playStep();
    void scheduleNextStep();
    void endPlay();
    void setPlayLayout(bool playing);

    SlideShowControls c_;
    Lesson& lesson_;
    const FormatRegistry& formats_;
    Prompter& prompter_;
    int currentRow_ = -1;
    SlotPaths currentPaths_;
    SlotPaths lastPaths_;
    FillOptions fillOptions_;
    bool keepRowOnActivate_ = false;
    bool stopRequested_ = false;
    QTimer playTimer_;
    bool playing_ = false;
    PlayPacer pacer_;
    PlayOrder order_;
    // The way the show moved last, which decides the row decoded ahead.
    PlayDirection lastMove_ = PlayDirection::Forward;
    std::unique_ptr<DecodeAhead> decodeAhead_;
};

} // namespace nubivu
