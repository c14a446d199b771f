#include "slideshow/slideshow.h"

#include "datalist/datalistfile.h"
#include "datalist/lesson.h"
#include "datalist/picturetime.h"
#include "slideshow/decodeahead.h"
#include "slideshow/rowloader.h"
#include "ui/errorreport.h"
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

SlideShow::SlideShow(const SlideShowControls& controls, Lesson& lesson,
                     const FormatRegistry& formats, Prompter& prompter, QObject* parent)
    : QObject(parent), c_(controls), lesson_(lesson), formats_(formats), prompter_(prompter) {
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
    playTimer_.setTimerType(Qt::PreciseTimer);
    // Stop is for a running play only.
    c_.stop->setEnabled(false);
    decodeAhead_ = std::make_unique<DecodeAhead>(
        [&formats, options = c_.panes[0]->picture().decodeOptions()](const QString& path) {
            return decodePicture(formats, path, options);
        });
    // What was decoded ahead stands for the list as it was.
    connect(&lesson_, &Lesson::rowsChanged, this, [this] { decodeAhead_->discard(); });
    connect(&lesson_, &Lesson::filePathChanged, this, [this] { decodeAhead_->discard(); });
}

SlideShow::~SlideShow() = default;

bool SlideShow::decodedAhead() const { return decodeAhead_->idle(); }

void SlideShow::setFillOptions(const FillOptions& options) {
    fillOptions_ = options;
    decodeAhead_->discard();
}

void SlideShow::setSpeed(PlaySpeed speed) {
    if (speed == pacer_.speed()) return;
    pacer_.setSpeed(speed);
    // The row on show gets the new slot, counted from when it came on screen.
    if (playing_ && playTimer_.isActive()) scheduleNextStep();
    Q_EMIT speedChanged(speed);
}

int SlideShow::rowCount() const { return lesson_.rows().count(); }

void SlideShow::setLoadedPaths(const SlotPaths& current, const SlotPaths& last) {
    currentPaths_ = current;
    lastPaths_ = last;
}

void SlideShow::showRowTime() {
    if (!c_.rowTime) return;
    const std::optional<QDateTime> time = lesson_.rowTime(currentRow_);
    c_.rowTime->setText(time ? rowTimeText(*time) : QString());
    c_.rowTime->repaint();
}

void SlideShow::showRow() {
    const int rows = rowCount();
    if (currentRow_ >= 0 && currentRow_ < rows) {
        loadPanes();
        c_.rowNumber->setText(QString::number(currentRow_ + 1));
        showRowTime();
        for (int i = 0; i < MainSlotCount; ++i)
            c_.fileNames[size_t(i)]->setText(fileNamePart(currentPaths_[size_t(i)]));
        // On screen before the handler returns: a played row must be seen.
        c_.rowNumber->repaint();
        for (int i = 0; i < MainSlotCount; ++i) c_.fileNames[size_t(i)]->repaint();
        // A played row's slot starts now; what watches the show sees it counted.
        if (playing_) pacer_.rowShown();
        Q_EMIT rowShown();
    }
    c_.stepBack->setEnabled(currentRow_ >= 1);
    c_.back->setEnabled(currentRow_ >= 1);
    // A next row exists.
    c_.play->setEnabled(currentRow_ < rows - 1);
    c_.stepForward->setEnabled(currentRow_ < rows - 1);
    bool anySky = false;
    for (int i = MainSlotCount; i < SlotCount; ++i) anySky |= !currentPaths_[size_t(i)].isEmpty();
    c_.skyPhotos->setEnabled(anySky);
}

QStringList SlideShow::resolvedPanePaths(const SlotPaths& paths) const {
    QStringList resolved;
    for (int i = 0; i < MainSlotCount; ++i) {
        const QString& path = paths[size_t(i)];
        resolved << (path.isEmpty() ? QString() : resolveListPath(path, lesson_.filePath()));
    }
    return resolved;
}

void SlideShow::loadPanes() {
    const LoadedRow loaded = loadRow(lesson_.rows(), currentRow_, lastPaths_, fillOptions_);
    currentPaths_ = loaded.paths;
    lastPaths_ = loaded.lastPaths;
    // Taken before the write-back, which changes the list and so drops what
    // was decoded ahead.
    std::optional<DecodedRow> ahead =
        decodeAhead_->take(currentRow_, resolvedPanePaths(currentPaths_),
                           playing_ && !pacer_.speed().paced() ? DecodeAhead::Help::RowsAfterToo
                                                               : DecodeAhead::Help::ThisRow);
    writeBack(lesson_.rows(), currentRow_, loaded);
    if (ahead) {
        for (int i = 0; i < MainSlotCount; ++i) {
            DecodedPicture& picture = ahead->pictures[size_t(i)];
            c_.panes[size_t(i)]->picture().setGraphic(std::move(picture.graphic), picture.path);
        }
        // The next row is read on the other core while this one is painted.
        decodeNextRow();
        for (PicturePane* pane : c_.panes) pane->repaint();
    } else {
        decodeNextRow();
        // Each pane is painted (and so decoded) right after its load: the
        // memory of the picture it drops is then taken again at once, rather
        // than three pictures' worth going back to the system and being
        // faulted in anew on every row of a play.
        for (int i = 0; i < MainSlotCount; ++i) {
            loadPaneOrClear(formats_, *c_.panes[size_t(i)], currentPaths_[size_t(i)],
                            lesson_.filePath());
            c_.panes[size_t(i)]->repaint();
        }
    }
    // A data error met while decoding ahead is the one the pane's paint
    // would have met: reported once the row is on screen.
    if (ahead)
        for (const DecodedPicture& picture : ahead->pictures)
            if (!picture.paintError.isEmpty())
                queueErrorReport(prompter_, this, picture.paintError, picture.path);
}

void SlideShow::decodeNextRow() {
    // The rows a play shows next (this one's follower and the one after), or
    // the next one the way the show moved last.
    std::vector<int> next;
    if (playing_) {
        std::optional<PlayStep> step = order_.peek(rowCount(), currentRow_);
        while (step && next.size() < DecodeAhead::MaxRowsAhead) {
            next.push_back(step->row);
            step = nextPlayStep(rowCount(), step->row, step->direction, order_.mode());
        }
    } else {
        const int row = currentRow_ + (lastMove_ == PlayDirection::Forward ? 1 : -1);
        if (row >= 0 && row < rowCount()) next.push_back(row);
    }
    if (next.empty()) return;
    // The fill-in as each row will get it when it follows the one before.
    std::vector<DecodeAhead::RowRequest> rows;
    SlotPaths last = lastPaths_;
    std::vector<QSize> drawSizes;
    for (const PicturePane* pane : c_.panes) drawSizes.push_back(pane->drawSizeAhead());
    for (int row : next) {
        const LoadedRow loaded = loadRow(lesson_.rows(), row, last, fillOptions_);
        rows.push_back({row, resolvedPanePaths(loaded.paths), drawSizes});
        last = loaded.lastPaths;
    }
    decodeAhead_->request(rows);
}

void SlideShow::onActivated() {
    const bool hasRows = rowCount() > 0;
    for (QPushButton* b : {c_.stepForward, c_.stepBack, c_.back, c_.play}) b->setEnabled(hasRows);
    if (!hasRows) c_.stop->setEnabled(false);
    if (c_.edit) c_.edit->setEnabled(hasRows);

    if (keepRowOnActivate_)
        keepRowOnActivate_ = false;
    else
        currentRow_ = 0;

    if (hasRows) {
        c_.rowNumber->setText(QString::number(currentRow_ + 1));
        c_.rowCount->setText(QString::number(rowCount()));
    } else {
        c_.rowNumber->setText(kNoCount);
        c_.rowCount->setText(kNoCount);
        showRowTime();
        for (int i = 0; i < MainSlotCount; ++i) {
            c_.panes[size_t(i)]->picture().clear();
            c_.fileNames[size_t(i)]->clear();
        }
    }
    showRow();
}

void SlideShow::play() {
    if (playing_) return;
    playing_ = true;
    order_.restart();
    // The row on show has its slot from now, as every row played after it.
    pacer_.reset();
    pacer_.rowShown();
    setPlayLayout(true);
    c_.stop->setEnabled(true);
    Q_EMIT playingChanged(true);
    // The play's next rows, read from now on: the row on show may have been
    // reached going back (Return, a step back), with nothing read ahead.
    decodeNextRow();
    if (pacer_.speed().paced())
        scheduleNextStep();
    else
        playStep();
}

void SlideShow::playStep() {
    // The list and the row may have changed between two rows (a file opened,
    // the editor used): both are read afresh at every pass.
    const std::optional<PlayStep> step = order_.advance(rowCount(), currentRow_);
    if (!step) {
        endPlay();
        return;
    }
    currentRow_ = step->row;
    lastMove_ = step->direction;
    showRow();
    // The rest of the window (the buttons' states) on screen at once too. Only
    // what changed is painted: the panes and labels were painted just now.
    QCoreApplication::sendPostedEvents(c_.window, QEvent::UpdateRequest);
    scheduleNextStep();
}

void SlideShow::scheduleNextStep() {
    // As fast as the pictures load, the next row follows at the next pass of
    // the event loop; at a set speed, when the slot of the row on show is over.
    const std::optional<PlayStep> next = order_.peek(rowCount(), currentRow_);
    const std::chrono::nanoseconds wait =
        next ? pacer_.scheduleNext(order_.pauseBefore(*next)) : std::chrono::nanoseconds{};
    playTimer_.start(int(std::chrono::ceil<std::chrono::milliseconds>(wait).count()));
}

void SlideShow::endPlay() {
    playTimer_.stop();
    playing_ = false;
    pacer_.reset();
    setPlayLayout(false);
    c_.stop->setEnabled(false);
    Q_EMIT playingChanged(false);
}

void SlideShow::setPlayLayout(bool playing) {
    for (QPushButton* b : {c_.skyPhotos, c_.stepForward, c_.stepBack, c_.back, c_.quit})
        b->setVisible(!playing);
}

void SlideShow::stop() {
    stopRequested_ = true;
    // A slow play does not sit out its slot: the request is met at the next pass.
    if (playing_ && playTimer_.isActive()) playTimer_.start(0);
}

void SlideShow::stepForward() {
    if (currentRow_ < rowCount() - 1) {
        ++currentRow_;
        lastMove_ = PlayDirection::Forward;
        showRow();
    }
}

void SlideShow::stepBack() {
    if (currentRow_ > 0) {
        --currentRow_;
        lastMove_ = PlayDirection::Backward;
        showRow();
    }
}

void SlideShow::returnToStart() {
    currentRow_ = 0;
    lastMove_ = PlayDirection::Forward;
    showRow();
}

void SlideShow::goToLastRow() {
    if (rowCount() < 1) return;
    currentRow_ = rowCount() - 1;
    lastMove_ = PlayDirection::Backward;
    showRow();
}

} // namespace nubivu
