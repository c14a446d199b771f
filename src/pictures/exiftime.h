#pragma once
// The time a photo records of itself: EXIF's DateTimeOriginal (when the
// shutter fired), else DateTime (when the file was last written), read with
// libexif. Like a file-name stamp it is a wall-clock time without a zone,
// kept as UTC.
#include <QDateTime>
#include <QString>
#include <cstddef>
#include <optional>

namespace nubivu {

// The time in a JPEG file's bytes, or in bare EXIF data ("Exif\0\0" ...).
std::optional<QDateTime> exifTime(const unsigned char* data, std::size_t size);
// The same from the start of a file (MaxExifHeadBytes); none for a file that cannot be read.
std::optional<QDateTime> exifTimeOfFile(const QString& path);

} // namespace nubivu
