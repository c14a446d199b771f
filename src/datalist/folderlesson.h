#pragma once
// A lesson made from picture folders: one folder per slot, one row per
// picture of the lead slot in time order, and in every other cell the
// picture of that slot in force at the row's moment (see matchInForce).
// A picture's time comes from its file name, else from what the file records
// of itself; a file the program cannot show or cannot date is left out,
// with the reason.
#include "datalist/imageslot.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace nubivu {

class Lesson;

// What the pictures' readers can tell without showing anything.
struct PictureProbe {
    // True for a file some reader or plug-in takes.
    std::function<bool(const QString& path)> readable;
    // The time the file records of itself (a photo's EXIF), read only for
    // names without a stamp.
    std::function<std::optional<QDateTime>(const QString& path)> recordedTime;
};

enum class SkipReason { Unreadable, Undated };

struct SkippedPicture {
    ImageSlot slot;
    QString path;
    SkipReason reason;
};

struct FolderLessonRow {
    QDateTime time;
    SlotPaths paths; // full paths; empty where no picture is in force
};

// Why no lesson can be made; the folder concerned goes with it.
enum class FolderProblem { None, NoLeadFolder, MissingFolder, NoDatedLeadPicture };

struct FolderLesson {
    ImageSlot lead = ImageSlot::Cloud;
    std::vector<FolderLessonRow> rows;
    // Per slot, in name order.
    std::vector<SkippedPicture> skipped;
    FolderProblem problem = FolderProblem::None;
    QString problemFolder;
    // Each dated picture of the lead slot by full path, for the lesson's row times.
    std::vector<std::pair<QString, QDateTime>> leadTimes;
};

// folders: per slot, a folder or empty for a slot left empty. Only files
// directly in a folder count.
FolderLesson makeFolderLesson(const SlotPaths& folders, ImageSlot lead, const PictureProbe& probe);

// Replaces the lesson's rows with the made ones as a new list without a file,
// not yet saved, that dates its rows by the lead slot.
void applyFolderLesson(Lesson& lesson, const FolderLesson& made);

} // namespace nubivu
