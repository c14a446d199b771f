#include "datalist/lesson.h"

#include "datalist/datalistfile.h"
#include "datalist/picturetime.h"

#include <QDir>

namespace nubivu {

Lesson::Lesson(QObject* parent) : QObject(parent), titles_(defaultTitles()) {
    connect(&rows_, &DataList::rowsReset, this, &Lesson::rowsChanged);
    connect(&rows_, &DataList::cellChanged, this, &Lesson::rowsChanged);
}

void Lesson::setTitles(const SlotPaths& titles) {
    if (titles == titles_) return;
    titles_ = titles;
    Q_EMIT titlesChanged();
}

void Lesson::setTitle(int slot, const QString& title) {
    if (slot < 0 || slot >= SlotCount) return;
    SlotPaths titles = titles_;
    titles[size_t(slot)] = title;
    setTitles(titles);
}

void Lesson::setFilePath(const QString& path) {
    if (path == filePath_) return;
    filePath_ = path;
    Q_EMIT filePathChanged();
}

void Lesson::setSaved(bool saved) {
    if (saved == saved_) return;
    saved_ = saved;
    Q_EMIT savedChanged(saved_);
}

QString Lesson::resolvePath(const QString& path) const { return resolveListPath(path, filePath_); }

void Lesson::setRowTimes(ImageSlot lead, QHash<QString, QDateTime> times) {
    timedSlot_ = lead;
    times_ = std::move(times);
}

void Lesson::forgetRowTimes() {
    timedSlot_.reset();
    times_.clear();
}

std::optional<QDateTime> Lesson::rowTime(int row) const {
    if (!timedSlot_) return std::nullopt;
    const QString path = rows_.cell(row, slotIndex(*timedSlot_));
    if (path.isEmpty()) return std::nullopt;
    // Keyed by full path: a save rewrites the rows' paths relative to the file.
    const auto known = times_.constFind(QDir::cleanPath(resolvePath(path)));
    if (known != times_.cend()) return *known;
    return timeInFileName(path);
}

} // namespace nubivu
