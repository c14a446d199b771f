#pragma once
// Open and Save of the File menu once the file is chosen, shared by the main
// window and the benchmarks so that both measure and run the same path.
#include "datalist/datalistfile.h"
#include "slideshow/filloptions.h"

namespace nubivu {

class Lesson;

// Reads the whole file before anything changes (a file that cannot be read
// leaves the lesson as it was), then replaces the rows, names the file and
// takes the titles the file sets. Raises EInOutError or EDataListFormat.
void openLessonFile(Lesson& lesson, const QString& fileName);

struct SavedLesson {
    // The paths loaded last once every row was loaded, moved to the new folder.
    SlotPaths lastPaths;
    // How the paths of the lesson moved from the old file's folder to the new one's.
    ListPathRebaser rebase;
};

// Writes every row as it is shown, through row loading from lastPaths with
// the fill-in settings (write-back included), relative paths rebased for the
// new file's folder; then names the file and rebases the rows' own paths.
// The row on show is not touched. Raises EInOutError or EDataListValue, and
// the lesson keeps its file then.
SavedLesson saveLessonFile(Lesson& lesson, const QString& fileName, const SlotPaths& lastPaths,
                           const FillOptions& options);

} // namespace nubivu
