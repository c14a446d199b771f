#include "pictures/exiftime.h"

#include "core/limits.h"

#include <QFile>
#include <libexif/exif-data.h>
#include <memory>

namespace nubivu {

namespace {
struct ExifDataFree {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

// "YYYY:MM:DD HH:MM:SS"; cameras that do not know the time write blanks or zeros.
std::optional<QDateTime> entryTime(ExifContent* content, ExifTag tag) {
    ExifEntry* entry = content ? exif_content_get_entry(content, tag) : nullptr;
    if (!entry || entry->format != EXIF_FORMAT_ASCII || !entry->data || entry->size < 19)
        return std::nullopt;
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(entry->data), 19);
    QDateTime time = QDateTime::fromString(text, QStringLiteral("yyyy:MM:dd HH:mm:ss"));
    if (!time.isValid()) return std::nullopt;
    time.setTimeSpec(Qt::UTC);
    return time;
}
} // namespace

std::optional<QDateTime> exifTime(const unsigned char* data, std::size_t size) {
    if (!data || size == 0 || size > std::size_t(MaxExifHeadBytes)) return std::nullopt;
    const std::unique_ptr<ExifData, ExifDataFree> exif(exif_data_new());
    if (!exif) return std::nullopt;
    // Reading only: libexif's option 1 << 1 (on by default) would rewrite the
    // loaded entries and add the ones the EXIF standard asks for.
    constexpr auto fixEntriesOnLoad = ExifDataOption(1 << 1);
    exif_data_unset_option(exif.get(), fixEntriesOnLoad);
    exif_data_load_data(exif.get(), data, static_cast<unsigned int>(size));
    if (auto taken = entryTime(exif->ifd[EXIF_IFD_EXIF], EXIF_TAG_DATE_TIME_ORIGINAL)) return taken;
    return entryTime(exif->ifd[EXIF_IFD_0], EXIF_TAG_DATE_TIME);
}

std::optional<QDateTime> exifTimeOfFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray head = file.read(MaxExifHeadBytes);
    return exifTime(reinterpret_cast<const unsigned char*>(head.constData()),
                    std::size_t(head.size()));
}

} // namespace nubivu
