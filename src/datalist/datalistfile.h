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

enum class DataListVersion { Other, V1, V2 };

// The extension of the name part (from its last dot; "/" and "\" both end a
// folder) compared byte for byte: ".NV2" and ".NVD", upper case only.
DataListVersion DataListVersionOf(const QString& fileName);

// The name part of a path without folder and extension (the save dialog's preset).
QString DataListBaseName(const QString& fileName);

// A path of the list as the pictures are loaded: relative paths are taken
// from the folder of DataFileName, so a lesson can be moved as one folder.
QString ResolveListPath(const QString& path);

// Text of the file: valid UTF-8 as UTF-8, anything else as CP932 (Shift-JIS).
QString DecodeDataListText(const QByteArray& bytes);
// The rows of a file's bytes: lines end at LF (a CR before it belongs to the
// end), a byte 1A ends the file, an empty line is skipped.
std::vector<SlotPaths> ReadDataListLines(const QByteArray& bytes);

// Reads the file into the list, which the caller has emptied. Returns the
// titles the file sets: version 2 its first line (which leaves the list),
// version 1 the default titles, any other name none. Raises EInOutError.
std::optional<SlotPaths> ReadDataListFile(DataList& list, const QString& fileName);

// Loads data row r as it is shown (fill-in included) and returns its paths.
using DataRowLoader = std::function<SlotPaths(int row)>;

// The bytes of a file of the given rows, CP932 when every value survives it,
// UTF-8 otherwise. titles: the title line of version 2, or none. Raises
// EDataListValue, naming row and slot, for a value holding a line break.
QByteArray EncodeDataList(int dataRows, const DataRowLoader& loadRow,
                          const std::optional<SlotPaths>& titles, const SlotPaths& slotNames);

// Writes the bytes to a new file beside the target and renames it over the
// target only when all was written and flushed: a failed save leaves the old
// file as it was. The old file's permissions carry over. Raises EInOutError.
void SaveDataListFile(const QString& fileName, const QByteArray& bytes);

// The library's text for a failed file operation with the given errno.
QString FileErrorMessage(int error);

} // namespace nubivu
