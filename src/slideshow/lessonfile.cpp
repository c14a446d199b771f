#include "slideshow/lessonfile.h"

#include "datalist/gridoperations.h"
#include "datalist/lesson.h"
#include "slideshow/rowloader.h"

#include <QSignalBlocker>

namespace nubivu {

void openLessonFile(Lesson& lesson, const QString& fileName) {
    DataListFileContent content = namingFile(fileName, [&] { return loadDataListFile(fileName); });
    clearList(lesson);
    lesson.setFilePath(fileName);
    lesson.rows().appendRows(std::move(content.rows));
    if (content.titles) lesson.setTitles(*content.titles);
}

namespace {
// Cells written back by the fill-in and paths moved to the new folder reach
// the editor as one reset, not as one signal per cell that each has the
// editor lay out its labels and headers again.
class QuietList {
public:
    QuietList(DataList& list, bool reset) : list_(list), reset_(reset), blocker_(list) {}
    ~QuietList() {
        blocker_.unblock();
        if (reset_) Q_EMIT list_.rowsReset();
    }

private:
    DataList& list_;
    bool reset_;
    QSignalBlocker blocker_;
};
} // namespace

SavedLesson saveLessonFile(Lesson& lesson, const QString& fileName, const SlotPaths& lastPaths,
                           const FillOptions& options) {
    DataList& list = lesson.rows();
    const SlotPaths titles = lesson.titles();
    // Relative picture paths are taken from the list's folder: saved into
    // another folder they are written to name the same pictures from there.
    const ListPathRebaser rebase(lesson.filePath(), fileName,
                                 lesson.madeFromFolders() ? FullPaths::RelativeBelow
                                                          : FullPaths::Keep);
    const QuietList quiet(list, (options.fillEmpty && options.writeBack) || rebase.moves());
    SlotPaths last = lastPaths;
    // Each row is written as it is shown: through row loading, fill-in included.
    const QByteArray bytes = encodeDataList(
        list.count(),
        [&](int row) {
            LoadedRow loaded = loadRow(list, row, last, options);
            writeBack(list, row, loaded);
            last = std::move(loaded.lastPaths);
            return rebase(std::move(loaded.paths));
        },
        dataListVersionOf(fileName) == DataListVersion::V2 ? std::optional(titles) : std::nullopt,
        titles);
    namingFile(fileName, [&] { saveDataListFile(fileName, bytes); });
    lesson.setFilePath(fileName);
    if (rebase.moves())
        for (int row = 0; row < list.count(); ++row) {
            const SlotPaths paths = list.paths(row);
            const SlotPaths moved = rebase(paths);
            if (moved != paths) list.setPaths(row, moved);
        }
    return {rebase(last), rebase};
}

} // namespace nubivu
