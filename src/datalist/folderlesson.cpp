#include "datalist/folderlesson.h"

#include "datalist/gridoperations.h"
#include "datalist/lesson.h"
#include "datalist/picturetime.h"
#include "datalist/timematch.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <algorithm>
#include <array>

namespace nubivu {

namespace {
struct DatedPicture {
    qint64 time; // seconds of the wall-clock time
    QString path;
};

struct Series {
    std::vector<DatedPicture> pictures; // by time, then name
    std::vector<SkippedPicture> skipped;
};

Series readFolder(ImageSlot slot, const QString& folder, const PictureProbe& probe) {
    Series series;
    const QString base = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    QStringList names;
    for (QDirIterator it(base, QDir::Files); it.hasNext();) {
        it.next();
        names << it.fileName();
    }
    names.sort();
    for (const QString& name : std::as_const(names)) {
        const QString path = base + u'/' + name;
        if (!probe.readable(path)) {
            series.skipped.push_back({slot, path, SkipReason::Unreadable});
            continue;
        }
        std::optional<QDateTime> time = timeInFileName(name);
        if (!time && probe.recordedTime) time = probe.recordedTime(path);
        if (!time) {
            series.skipped.push_back({slot, path, SkipReason::Undated});
            continue;
        }
        series.pictures.push_back({time->toSecsSinceEpoch(), path});
    }
    // Names are sorted already: a stable sort keeps them in name order within one moment.
    std::stable_sort(series.pictures.begin(), series.pictures.end(),
                     [](const DatedPicture& a, const DatedPicture& b) { return a.time < b.time; });
    return series;
}

std::vector<qint64> timesOf(const std::vector<DatedPicture>& pictures) {
    std::vector<qint64> times;
    times.reserve(pictures.size());
    for (const DatedPicture& p : pictures) times.push_back(p.time);
    return times;
}
} // namespace

FolderLesson makeFolderLesson(const SlotPaths& folders, ImageSlot lead, const PictureProbe& probe) {
    FolderLesson made;
    made.lead = lead;
    const int leadIndex = slotIndex(lead);
    if (folders[size_t(leadIndex)].isEmpty()) {
        made.problem = FolderProblem::NoLeadFolder;
        return made;
    }
    for (const QString& folder : folders) {
        if (!folder.isEmpty() && !QFileInfo(folder).isDir()) {
            made.problem = FolderProblem::MissingFolder;
            made.problemFolder = folder;
            return made;
        }
    }
    std::array<Series, SlotCount> series;
    for (int slot = 0; slot < SlotCount; ++slot) {
        if (folders[size_t(slot)].isEmpty()) continue;
        series[size_t(slot)] = readFolder(ImageSlot(slot), folders[size_t(slot)], probe);
        for (SkippedPicture& s : series[size_t(slot)].skipped) made.skipped.push_back(std::move(s));
    }
    const std::vector<DatedPicture>& leadPictures = series[size_t(leadIndex)].pictures;
    if (leadPictures.empty()) {
        made.problem = FolderProblem::NoDatedLeadPicture;
        made.problemFolder = folders[size_t(leadIndex)];
        return made;
    }
    const std::vector<qint64> leadTimes = timesOf(leadPictures);
    made.rows.resize(leadPictures.size());
    made.leadTimes.reserve(leadPictures.size());
    for (size_t row = 0; row < leadPictures.size(); ++row) {
        const QDateTime time = QDateTime::fromSecsSinceEpoch(leadTimes[row], Qt::UTC);
        made.rows[row].time = time;
        made.rows[row].paths[size_t(leadIndex)] = leadPictures[row].path;
        made.leadTimes.emplace_back(leadPictures[row].path, time);
    }
    for (int slot = 0; slot < SlotCount; ++slot) {
        if (slot == leadIndex || series[size_t(slot)].pictures.empty()) continue;
        const std::vector<DatedPicture>& pictures = series[size_t(slot)].pictures;
        const std::vector<int> inForce = matchInForce(leadTimes, timesOf(pictures));
        for (size_t row = 0; row < inForce.size(); ++row)
            if (inForce[row] >= 0)
                made.rows[row].paths[size_t(slot)] = pictures[size_t(inForce[row])].path;
    }
    return made;
}

void applyFolderLesson(Lesson& lesson, const FolderLesson& made) {
    clearList(lesson);
    lesson.setFilePath(QString());
    std::vector<SlotPaths> rows;
    rows.reserve(made.rows.size());
    for (const FolderLessonRow& row : made.rows) rows.push_back(row.paths);
    lesson.rows().appendRows(std::move(rows));
    QHash<QString, QDateTime> times;
    times.reserve(qsizetype(made.leadTimes.size()));
    for (const auto& [path, time] : made.leadTimes) times.insert(path, time);
    lesson.setRowTimes(made.lead, std::move(times));
    lesson.markUnsaved();
}

} // namespace nubivu
