// A lesson from picture folders as ファイル → フォルダから作成… and
// --make-lesson make it, against a floor measured in the same run. Run pinned
// to one core:
//   taskset -c 1 bench_folderlesson [pictures]
//
// Made  = every folder listed, each name's extension asked of the format
//         registry and its stamp read (one picture in a hundred has none and
//         is read for its EXIF), the series sorted and matched on the lead.
// Floor = the same folders listed with every file's size, as a file manager
//         lists them.
// Folders: 10-minute cloud photos (the lead, PICTURES of them), 3-hourly maps
// and 5-minute rain maps over the same days.
#include "datalist/folderlesson.h"
#include "pictures/formatregistry.h"
#include "ui/pictureprobe.h"

#include "benchstats.h"
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace nubivu;

namespace {

using benchstats::median;
using benchstats::timed;

// count pictures every step minutes from 2024-05-10 00:00, named name_YYYYMMDD_hhmm.ext.
QString makeFolder(const QString& path, int count, int stepMinutes, const char* ext) {
    QDir().mkpath(path);
    const QDateTime start(QDate(2024, 5, 10), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < count; ++i) {
        // One in a hundred comes from a camera that names by number.
        const QString name =
            i % 100 == 50
                ? QStringLiteral("DSC%1.%2").arg(i, 5, 10, QLatin1Char('0')).arg(QLatin1String(ext))
                : QStringLiteral("pic_%1.%2")
                      .arg(start.addSecs(qint64(i) * stepMinutes * 60)
                               .toString(QStringLiteral("yyyyMMdd_HHmm")),
                           QLatin1String(ext));
        QFile file(path + u'/' + name);
        if (!file.open(QIODevice::WriteOnly)) std::abort();
        file.write("not a picture, never decoded");
    }
    return path;
}

qint64 listWithSizes(const SlotPaths& folders) {
    qint64 total = 0;
    for (const QString& folder : folders) {
        if (folder.isEmpty()) continue;
        for (QDirIterator it(folder, QDir::Files); it.hasNext();) {
            it.next();
            total += it.fileInfo().size();
        }
    }
    return total;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int pictures = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int runs = 11;
    QTemporaryDir dir;
    SlotPaths folders;
    const int minutes = pictures * 10;
    folders[0] = makeFolder(dir.filePath(QStringLiteral("cloud")), pictures, 10, "jpg");
    folders[1] = makeFolder(dir.filePath(QStringLiteral("map")), minutes / 180 + 1, 180, "png");
    folders[2] = makeFolder(dir.filePath(QStringLiteral("rain")), minutes / 5, 5, "png");
    const FormatRegistry formats;
    const PictureProbe probe = pictureProbe(formats);

    qint64 sink = 0;
    // Warm the folder cache once, so no run pays for the disk.
    sink += listWithSizes(folders);
    std::vector<double> floor, made;
    size_t rows = 0;
    for (int i = 0; i < runs; ++i) {
        floor.push_back(timed([&] { sink += listWithSizes(folders); }));
        made.push_back(timed([&] {
            const FolderLesson lesson = makeFolderLesson(folders, ImageSlot::Cloud, probe);
            rows = lesson.rows.size();
            sink += qint64(lesson.skipped.size());
        }));
    }
    const double f = median(floor), m = median(made);
    std::printf("lesson from folders: %d cloud photos (lead), %d maps, %d rain maps -> %zu rows, "
                "median of %d runs (sink %lld)\n",
                pictures, minutes / 180 + 1, minutes / 5, rows, runs,
                static_cast<long long>(sink % 10));
    std::printf("  floor (list with sizes)  %8.2f ms\n", f);
    std::printf("  made (read and matched)  %8.2f ms   ratio %.2f (target at most 3)\n", m, m / f);
    return 0;
}
