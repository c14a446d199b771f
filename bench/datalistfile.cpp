// Open and Save of a data list of 100,000 rows as the File menu runs them,
// each against a floor measured in the same run, and the memory a list of
// 1,000,000 rows holds once opened. Run pinned to one core:
//   taskset -c 1 bench_datalistfile [rows] [memoryRows]
//
// Open  = reading and decoding the file, then replacing the list on show
//         (emptying it, appending the rows).
//         Floor: read the bytes, decode them in one piece through the same
//         code page (CP932 tables or UTF-8), and find the fields of every line.
// Save  = every row through the slide show's row loading (fill-in and
//         write-back on), the paths rebased for the file saved to, encoding,
//         and the replacing file writer with its flush.
//         Floor: write the same bytes to a new file, fsync it, rename it over
//         the old one and fsync the folder.
#include "datalist/datalistfile.h"
#include "datalist/codepage.h"
#include "datalist/lesson.h"
#include "slideshow/lessonfile.h"

#include "benchstats.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace nubivu;

namespace {

using benchstats::median;
using benchstats::timed;

long rssKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

QByteArray readFile(const QString& path) {
    std::FILE* f = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!f) return {};
    std::fseek(f, 0, SEEK_END);
    QByteArray bytes(std::ftell(f), Qt::Uninitialized);
    std::fseek(f, 0, SEEK_SET);
    const size_t got = std::fread(bytes.data(), 1, size_t(bytes.size()), f);
    std::fclose(f);
    bytes.truncate(qsizetype(got));
    return bytes;
}

// The least any reader must do: the bytes from the file, decoded in one
// piece, cut at line ends and commas.
size_t openFloor(const QString& path, bool utf8) {
    const QByteArray bytes = readFile(path);
    const QString text = utf8 ? QString::fromUtf8(bytes) : decodeCodePage(bytes);
    size_t fields = 0;
    for (const QChar c : text)
        if (c == u',' || c == u'\n') ++fields;
    return fields + size_t(text.size());
}

// The least any safe save must do: the bytes into a new file, flushed, put in place.
void saveFloor(const QString& path, const QByteArray& bytes) {
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temp = target + ".floor";
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) std::abort();
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0) std::abort();
        done += n;
    }
    if (::fsync(fd) != 0) std::abort();
    ::close(fd);
    if (::rename(temp.constData(), target.constData()) != 0) std::abort();
    const int folder =
        ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY);
    ::fsync(folder);
    ::close(folder);
}

std::vector<SlotPaths> lessonRows(int rows, bool utf8Only) {
    std::vector<SlotPaths> paths(static_cast<size_t>(rows));
    // A character with no code in CP932 makes the file UTF-8.
    const QString tail = utf8Only ? QStringLiteral("é") : QString();
    for (int r = 0; r < rows; ++r) {
        SlotPaths& p = paths[size_t(r)];
        p[0] = QStringLiteral("pictures/雲の写真/kumo%1%2.jpg")
                   .arg(r, 6, 10, QLatin1Char('0'))
                   .arg(tail);
        p[1] = QStringLiteral("pictures/天気図/tenkizu%1.bmp").arg(r, 6, 10, QLatin1Char('0'));
        // Gaps the fill-in closes (and writes back) on Save.
        if (r % 3) p[2] = QStringLiteral("pictures/ame%1.bmp").arg(r, 6, 10, QLatin1Char('0'));
        if (r % 50 == 0) p[3] = QStringLiteral("/home/teacher/sky/north %1.jpg").arg(r);
    }
    return paths;
}

// What Open and Save do once their dialog is confirmed: the File menu's
// own functions. Save loads every row as shown (fill-in and write-back on),
// rebases, encodes and writes; then the lesson's own paths are rebased.
const FillOptions kSaveOptions{true, true};

void writeList(const QString& path, int rows, bool utf8Only) {
    DataList list;
    list.appendRows(lessonRows(rows, utf8Only));
    const SlotPaths titles = defaultTitles();
    saveDataListFile(path, encodeDataList(
                               list.count(), [&](int r) { return list.paths(r); }, titles, titles));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int memoryRows = argc > 2 ? std::atoi(argv[2]) : 1000000;
    const int runs = 11;
    QTemporaryDir dir;

    // Memory first, while the process holds little else.
    if (memoryRows > 0) {
        const QString big = dir.filePath(QStringLiteral("big.NV2"));
        // Written by a child process: the heap of making it would stay counted here.
        const pid_t child = ::fork();
        if (child == 0) {
            writeList(big, memoryRows, false);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        const qint64 size = QFileInfo(big).size();
        const long before = rssKiB();
        Lesson lesson;
        openLessonFile(lesson, big);
        const long after = rssKiB();
        const double held = double(after - before) * 1024.0;
        std::printf("memory, %d rows, file %.1f MB: RSS %.1f MB after opening, %.1f MB held, %.2fx "
                    "the file\n",
                    memoryRows, double(size) / 1e6, double(after) * 1024.0 / 1e6, held / 1e6,
                    held / double(size));
        QFile::remove(big);
    }

    // Large buffers stay in the heap once faulted in: on a virtual machine a
    // fresh page costs more than the work on it, and which runs met fresh
    // pages would otherwise decide the ratios.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    size_t sink = 0;
    for (const bool utf8 : {false, true}) {
        const QString path =
            dir.filePath(utf8 ? QStringLiteral("utf8.NV2") : QStringLiteral("cp932.NV2"));
        writeList(path, rows, utf8);
        const qint64 size = QFileInfo(path).size();
        // Saved beside the file opened: the paths keep their text, and every
        // run opens the gaps again for the fill-in to close and write back.
        const QString out = dir.filePath(QStringLiteral("saved.NV2"));
        Lesson lesson;
        openLessonFile(lesson, path);
        saveLessonFile(lesson, out, {}, kSaveOptions);
        const QByteArray saved = readFile(out);
        std::vector<double> openBase, open, saveBase, save;
        for (int i = 0; i < runs; ++i) {
            openBase.push_back(timed([&] { sink += openFloor(path, utf8); }));
            // Replacing the list on show, as a second Open does.
            open.push_back(timed([&] { openLessonFile(lesson, path); }));
            sink += size_t(lesson.rows().count());
            saveBase.push_back(timed([&] { saveFloor(out, saved); }));
            save.push_back(timed([&] { saveLessonFile(lesson, out, {}, kSaveOptions); }));
        }
        const double fo = median(openBase), o = median(open), fs = median(saveBase),
                     s = median(save);
        std::printf("%s list, %d rows, %lld bytes, median of %d runs (sink %zu)\n",
                    utf8 ? "UTF-8" : "CP932", rows, static_cast<long long>(size), runs, sink % 10);
        std::printf("  open floor (read, decode, split) %8.2f ms\n", fo);
        std::printf("  open                             %8.2f ms   ratio %.2f\n", o, o / fo);
        std::printf("  save floor (write, fsync, rename)%8.2f ms\n", fs);
        std::printf("  save                             %8.2f ms   ratio %.2f\n", s, s / fs);
    }
    return 0;
}
