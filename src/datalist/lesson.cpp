#include "datalist/lesson.h"

#include "datalist/datalistfile.h"

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

} // namespace nubivu
