#include "slideshow/slideshow.h"

#include "datalist/lesson.h"
#include "slideshow/rowloader.h"
#include "ui/panepicture.h"
#include "ui/picturepane.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

namespace nubivu {

namespace {
const QString kNoCount = QStringLiteral("???");
}

SlideShow::SlideShow(const SlideShowControls& controls, Lesson& lesson, QObject* parent)
    : QObject(parent), c_(controls), lesson_(lesson) {
    // One row per pass: the frame, the menu and the stop button are served
    // between two rows, and nothing runs under a nested event loop.
    playTimer_.setInterval(0);
    playTimer_.setSingleShot(true);
    connect(&playTimer_, &QTimer::timeout, this, [this] {
        if (stopRequested_ || !c_.window->isVisible()) {
            stopRequested_ = false;
            endPlay();
            return;
        }
        playStep();
    });
    // Stop is for a running play only.
    c_.stop->setEnabled(false);
}

int SlideShow::rowCount() const { return lesson_.rows().RowCount(); }

void SlideShow::setLoadedPaths(const SlotPaths& current, const SlotPaths& last) {
    currentPaths_ = current;
    lastPaths_ = last;
}

void SlideShow::showRow() {
    const int rows = rowCount();
    if (currentRow_ > 0 && currentRow_ < rows - 1) {
        const LoadedRow loaded = LoadRow(lesson_.rows(), currentRow_, lastPaths_, fillOptions_);
        currentPaths_ = loaded.paths;
        lastPaths_ = loaded.lastPaths;
        WriteBack(lesson_.rows(), currentRow_, loaded);
        // Each pane is painted (and so decoded) right after its load: the
        // memory of the picture it drops is then taken again at once, rather
        // than three pictures' worth going back to the system and being
        // faulted in anew on every row of a play.
        for (int i = 0; i < MainSlotCount; ++i) {
            LoadPaneOrClear(*c_.panes[size_t(i)], currentPaths_[size_t(i)], lesson_.filePath());
            c_.panes[size_t(i)]->repaint();
        }
        c_.rowNumber->setText(QString::number(currentRow_));
        for (int i = 0; i < MainSlotCount; ++i)
            c_.fileNames[size_t(i)]->setText(FileNamePart(currentPaths_[size_t(i)]));
        // On screen before the handler returns: a played row must be seen.
        c_.rowNumber->repaint();
        for (int i = 0; i < MainSlotCount; ++i) c_.fileNames[size_t(i)]->repaint();
    }
    c_.stepBack->setEnabled(currentRow_ >= 2);
    c_.back->setEnabled(currentRow_ >= 2);
    c_.play->setEnabled(currentRow_ <= rows - 3);
    c_.stepForward->setEnabled(currentRow_ <= rows - 3);
    bool anySky = false;
    for (int i = MainSlotCount; i < SlotCount; ++i) anySky |= !currentPaths_[size_t(i)].isEmpty();
    c_.skyPhotos->setEnabled(anySky);
}

void SlideShow::onActivated() {
    const bool hasRows = rowCount() > 2;
    for (QPushButton* b : {c_.stepForward, c_.stepBack, c_.back, c_.play}) b->setEnabled(hasRows);
    if (!hasRows) c_.stop->setEnabled(false);
    if (c_.edit) c_.edit->setEnabled(hasRows);

    if (keepRowOnActivate_)
        keepRowOnActivate_ = false;
    else
        currentRow_ = 1;

    if (hasRows) {
        c_.rowNumber->setText(QString::number(currentRow_));
        c_.rowCount->setText(QString::number(rowCount() - 2));
    } else {
        c_.rowNumber->setText(kNoCount);
        c_.rowCount->setText(kNoCount);
        for (int i = 0; i < MainSlotCount; ++i) {
            c_.panes[size_t(i)]->Picture().Clear();
            c_.fileNames[size_t(i)]->clear();
        }
    }
    showRow();
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
    if (currentRow_ >= rowCount() - 2) {
        endPlay();
        return;
    }
    ++currentRow_;
    showRow();
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

void SlideShow::Stop() { stopRequested_ = true; }

void SlideShow::StepForward() {
    if (currentRow_ < rowCount() - 2) {
        ++currentRow_;
        showRow();
    }
}

void SlideShow::StepBack() {
    if (currentRow_ > 1) {
        --currentRow_;
        showRow();
    }
}

void SlideShow::Return() {
    currentRow_ = 1;
    showRow();
}

} // namespace nubivu
