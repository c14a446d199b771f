#pragma once
// The slide show on the main window's panes: showing a row, stepping,
// returning and playing, and which buttons are enabled or visible meanwhile.
// It works on the controls it is given, so the window itself stays thin.
#include "datalist/imageslot.h"

#include <QObject>
#include <QTimer>
#include <array>
#include <functional>

class QAction;
class QLabel;
class QPushButton;
class QWidget;

namespace nubivu {

class DataList;
class TImage;

struct SlideShowControls {
    QWidget* window = nullptr; // repainted whole after each played row
    std::array<TImage*, MainSlotCount> panes{};
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
    // The list lives in the editor window, which comes into being after the
    // main window: it is asked for at every use and may be absent (then empty).
    using ListSource = std::function<DataList*()>;

    SlideShow(const SlideShowControls& controls, ListSource list, QObject* parent = nullptr);

    // Shows row CurrentRow (when it is a data row) and sets the buttons.
    void GazoHyoji();
    // The main window became active: counters, row 1 unless kept, then the row.
    void FormActivate();

    // Plays from the row on show to the last row, one row per pass of the
    // event loop; a play already running ignores the call.
    void Play();
    void Stop();
    void StepForward();
    void StepBack();
    void Return();

    bool Playing() const { return playing_; }

private:
    int rowCount() const;
    void playStep();
    void endPlay();
    void setPlayLayout(bool playing);

    SlideShowControls c_;
    ListSource list_;
    QTimer playTimer_;
    bool playing_ = false;
};

} // namespace nubivu
