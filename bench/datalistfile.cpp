// Opening and saving a data list of 100,000 rows, each against the floor of
// reading the same file and splitting its bytes into fields in a bare loop,
// measured in the same run. Prints medians and the two ratios.
#include "datalist/datalistfile.h"
#include "datalist/gridoperations.h"
#include "datalist/sharedstate.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

using namespace nubivu;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <class F> double timed(F&& f) {
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

// The least any reader must do: the bytes from the file, cut at line ends and
// commas into views of the seven fields.
size_t readAndSplit(const QString& path) {
    std::FILE* f = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!f) return 0;
    std::vector<char> bytes;
    char buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    std::string_view fields[7];
    size_t count = 0;
    size_t field = 0;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == ',' || c == '\n') {
            if (field < 7) fields[field] = std::string_view(bytes.data() + start, i - start);
            ++field;
            start = i + 1;
            if (c == '\n') {
                count += fields[0].size() + field;
                field = 0;
            }
        }
    }
    return count;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = 100000;
    const int runs = 7;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.NV2"));

    DataList list;
    std::vector<SlotPaths> paths(rows);
    for (int r = 0; r < rows; ++r) {
        SlotPaths& p = paths[size_t(r)];
        p[0] = QStringLiteral("pictures/雲の写真/kumo%1.jpg").arg(r, 6, 10, QLatin1Char('0'));
        p[1] = QStringLiteral("pictures/天気図/tenkizu%1.bmp").arg(r, 6, 10, QLatin1Char('0'));
        if (r % 3) p[2] = QStringLiteral("pictures/ame%1.bmp").arg(r, 6, 10, QLatin1Char('0'));
        if (r % 50 == 0) p[3] = QStringLiteral("/home/teacher/sky/north %1.jpg").arg(r);
    }
    list.AppendDataRows(paths);
    const SlotPaths titles = defaultTitles();
    auto save = [&] {
        const QByteArray bytes = EncodeDataList(
            list.DataRowCount(), [&](int r) { return list.Paths(r); }, titles, titles);
        SaveDataListFile(path, bytes);
    };
    save();
    const qint64 size = QFileInfo(path).size();

    std::vector<double> floor, open, saved;
    size_t sink = 0;
    for (int i = 0; i < runs; ++i) {
        floor.push_back(timed([&] { sink += readAndSplit(path); }));
        DataList read;
        open.push_back(timed([&] {
            NewStringGrid(read);
            ReadDataListFile(read, path);
        }));
        sink += size_t(read.RowCount());
        saved.push_back(timed(save));
    }
    const double f = median(floor), o = median(open), s = median(saved);
    std::printf("data list file, %d rows, %lld bytes, median of %d runs (sink %zu)\n", rows,
                static_cast<long long>(size), runs, sink % 10);
    std::printf("  floor (read + split bytes) %8.2f ms\n", f);
    std::printf("  open                       %8.2f ms   ratio %.2f\n", o, o / f);
    std::printf("  save (encode, write, sync) %8.2f ms   ratio %.2f\n", s, s / f);
    return 0;
}
