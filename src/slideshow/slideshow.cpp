#include "slideshow/slideshow.h"

#include "datalist/datalist.h"
#include "datalist/sharedstate.h"
#include "slideshow/rowloader.h"
#include "ui/panepicture.h"
#include "ui/timage.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

namespace nubivu {

namespace {
const QString kNoCount = QStringLiteral("???");
}

SlideShow::SlideShow(const SlideShowControls& controls, ListSource list, QObject* parent)
    : QObject(parent), c_(controls), list_(std::move(list)) {
    // One row per pass: the frame, the menu and the stop button are served
    // between two rows, and nothing runs under a nested event loop.
    playTimer_.setInterval(0);
    playTimer_.setSingleShot(true);
    connect(&playTimer_, &QTimer::timeout, this, [this] {
        if (StopRequested || !c_.window->isVisible()) {
            StopRequested = false;
            endPlay();
            return;
        }
        playStep();
    });
    // Stop is for a running play only.
    c_.stop->setEnabled(false);
}

int SlideShow::rowCount() const {
    const DataList* list = list_ ? list_() : nullptr;
    return list ? list->RowCount() : 2;
}

void SlideShow::GazoHyoji() {
    DataList* list = list_ ? list_() : nullptr;
    const int rows = rowCount();
    if (list && CurrentRow > 0 && CurrentRow < rows - 1) {
        SetArrayDat(*list);
        // Each pane is painted (and so decoded) right after its load: the
        // memory of the picture it drops is then taken again at once, rather
        // than three pictures' worth going back to the system and being
        // faulted in anew on every row of a play.
        for (int i = 0; i < MainSlotCount; ++i) {
            LoadPaneOrClear(*c_.panes[size_t(i)], CurrentPaths[size_t(i)]);
            c_.panes[size_t(i)]->repaint();
        }
        c_.rowNumber->setText(QString::number(CurrentRow));
        for (int i = 0; i < MainSlotCount; ++i)
            c_.fileNames[size_t(i)]->setText(FileNamePart(CurrentPaths[size_t(i)]));
        // On screen before the handler returns: a played row must be seen.
        c_.rowNumber->repaint();
        for (int i = 0; i < MainSlotCount; ++i) c_.fileNames[size_t(i)]->repaint();
    }
    c_.stepBack->setEnabled(CurrentRow >= 2);
    c_.back->setEnabled(CurrentRow >= 2);
    c_.play->setEnabled(CurrentRow <= rows - 3);
    c_.stepForward->setEnabled(CurrentRow <= rows - 3);
    bool anySky = false;
    for (int i = MainSlotCount; i < SlotCount; ++i) anySky |= !CurrentPaths[size_t(i)].isEmpty();
    c_.skyPhotos->setEnabled(anySky);
}

void SlideShow::FormActivate() {
    const bool hasRows = rowCount() > 2;
    for (QPushButton* b : {c_.stepForward, c_.stepBack, c_.back, c_.play}) b->setEnabled(hasRows);
    if (!hasRows) c_.stop->setEnabled(false);
    if (c_.edit) c_.edit->setEnabled(hasRows);

    if (KeepRowOnActivate)
        KeepRowOnActivate = false;
    else
        CurrentRow = 1;

    if (hasRows) {
        c_.rowNumber->setText(QString::number(CurrentRow));
        c_.rowCount->setText(QString::number(rowCount() - 2));
    } else {
        c_.rowNumber->setText(kNoCount);
        c_.rowCount->setText(kNoCount);
        for (int i = 0; i < MainSlotCount; ++i) {
            c_.panes[size_t(i)]->Picture().Clear();
            c_.fileNames[size_t(i)]->clear();
        }
    }
    GazoHyoji();
}

void SlideShow::Play() {
    if (playing_) return;
    playing_ = true;
    setPlayLayout(true);
    c_.stop->setEnabled(true);
    playStep();
}

void SlideShow::playStep() {
    // The list and the row may have changed between two rows (a file opened,
    // the editor used): both are read afresh at every pass.
    if (CurrentRow >= rowCount() - 2) {
        endPlay();
        return;
    }
    ++CurrentRow;
    GazoHyoji();
    // The rest of the window (the buttons' states) on screen at once too. Only
    // what changed is painted: the panes and labels were painted just now.
    QCoreApplication::sendPostedEvents(c_.window, QEvent::UpdateRequest);
    playTimer_.start();
}

void SlideShow::endPlay() {
    playTimer_.stop();
    playing_ = false;
    setPlayLayout(false);
    c_.stop->setEnabled(false);
}

void SlideShow::setPlayLayout(bool playing) {
    for (QPushButton* b : {c_.skyPhotos, c_.stepForward, c_.stepBack, c_.back, c_.quit})
        b->setVisible(!playing);
}

void SlideShow::Stop() { StopRequested = true; }

void SlideShow::StepForward() {
    if (CurrentRow < rowCount() - 2) {
        ++CurrentRow;
        GazoHyoji();
    }
}

void SlideShow::StepBack() {
    if (CurrentRow > 1) {
        --CurrentRow;
        GazoHyoji();
    }
}

void SlideShow::Return() {
    CurrentRow = 1;
    GazoHyoji();
}

} // namespace nubivu
