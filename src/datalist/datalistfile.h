#pragma once
// The data list file: one quoted line per row, version 2 with the seven pane
// titles in front. The version is told by the file name's extension alone.
#include "core/errors.h"
#include "datalist/datalist.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace nubivu {

// A value that would break the file apart (a line break) cannot be written.
NUBIVU_ERROR_CLASS(EDataListValue, ENubivuError)
// A file that holds no text (a picture chosen by mistake) is no list.
NUBIVU_ERROR_CLASS(EDataListFormat, ENubivuError)

enum class DataListVersion { Other, V1, V2 };

// The extension of the name part (from its last dot; "/" and "\" both end a
// folder) compared byte for byte: ".NV2" and ".NVD", upper case only.
DataListVersion dataListVersionOf(const QString& fileName);

// A name of the data list file type, as Open's dialog and the desktop's file
// type take it: ".NV2" or ".NVD" in any case. What Open then makes of the file
// is still told by dataListVersionOf.
bool isDataListFileName(const QString& fileName);

// The name part of a path without folder and extension (the save dialog's preset).
QString dataListBaseName(const QString& fileName);

// A path of the list as the pictures are loaded: relative paths are taken
// from the folder of the list's file, so a lesson can be moved as one folder.
QString resolveListPath(const QString& path, const QString& listFile);
// A path of the list in fromList's folder as it is written for a list saved
// as toList: a relative path becomes relative to the new folder, or absolute
// where the picture is not below it. Absolute paths, paths written on Windows
// (a drive or "\"), a list without a file (fromList empty) and a list that
// stays in its folder keep their text.
QString rebaseListPath(const QString& path, const QString& fromList, const QString& toList);
// rebaseListPath for every path of a list saved from one file to another:
// the two folders are worked out once.
// A lesson made from picture folders holds full paths; saved beside those
// folders it should still move as one folder, so RelativeBelow also writes a
// full path below the new file's folder relative to it.
enum class FullPaths { Keep, RelativeBelow };
class ListPathRebaser {
public:
    ListPathRebaser(const QString& fromList, const QString& toList,
                    FullPaths fullPaths = FullPaths::Keep);
    // False when every path keeps its text (a list saved into its own folder).
    bool moves() const { return moves_; }
    QString operator()(const QString& path) const;
    SlotPaths operator()(SlotPaths paths) const;

private:
    QString from_;
    QString to_;
    bool moves_ = false;
    bool relativeBelow_ = false;
};

// The rows of a file's bytes: lines end at LF (a CR before it belongs to the
// end), a byte 1A ends the file, an empty line is skipped.
std::vector<SlotPaths> readDataListLines(const QByteArray& bytes);
// The same rows packed as the list keeps them.
std::vector<PackedRow> readDataListRows(const QByteArray& bytes);
// The seven paths of a row read that way.
SlotPaths pathsOf(const PackedRow& row);

struct DataListFileContent {
    std::vector<PackedRow> rows;
    // The titles the file sets: version 2 its first line, version 1 the
    // default titles, any other name none.
    std::optional<SlotPaths> titles;
};
// Reads and decodes the whole file; no list is touched, so a failure leaves
// the lesson on show as it was. Raises EInOutError or EDataListFormat, with
// the file's name in the message.
DataListFileContent loadDataListFile(const QString& fileName);
// loadDataListFile, with the rows appended to the list (which the caller has emptied).
std::optional<SlotPaths> readDataListFile(DataList& list, const QString& fileName);

// Loads row r (0 .. dataRows-1) as it is shown (fill-in included) and returns its paths.
using DataRowLoader = std::function<SlotPaths(int row)>;

// The bytes of a file of the given rows, CP932 when every value survives it,
// UTF-8 otherwise. titles: the title line of version 2, or none. Raises
// EDataListValue, naming row (counted from 1, as the user counts) and slot,
// for a value holding a line break.
QByteArray encodeDataList(int dataRows, const DataRowLoader& loadRow,
                          const std::optional<SlotPaths>& titles, const SlotPaths& slotNames);

// Writes the bytes to a new file in the target's folder and puts it in place
// of the target only when all was written and flushed (ReplacingFileWriter):
// a failed or refused save leaves the old file as it was. Raises EInOutError.
void saveDataListFile(const QString& fileName, const QByteArray& bytes);

// The library's text for a failed file operation with the given errno.
QString fileErrorMessage(int error);

} // namespace nubivu
