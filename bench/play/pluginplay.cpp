#include "pluginplay.h"

#include "../weathermap.h"
#include "lessonplayer.h"
#include "processprobe.h"
#include "stats.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>

namespace playbench {

namespace {

// The Susie folder as the user sets it; empty: none.
void setSusieFolder(const QString& folder) {
    QSettings settings(QStringLiteral("Quorril"), QStringLiteral("Susie"));
    if (folder.isEmpty())
        settings.remove(QStringLiteral("Plug-in/Path"));
    else
        settings.setValue(QStringLiteral("Plug-in/Path"), folder);
    settings.sync();
}

// Helper processes started by this one.
int helperChildren() {
    int count = 0;
    const QString self = QString::number(QCoreApplication::applicationPid());
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/") + pid + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QList<QByteArray> fields = stat.readAll().split(' ');
        if (fields.size() > 3 && fields[1].contains("nubivu-spihost") &&
            QString::fromLatin1(fields[3]) == self)
            ++count;
    }
    return count;
}

} // namespace

int measurePluginPlay(int runs) {
    const QString shipped = QCoreApplication::applicationDirPath() + QStringLiteral("/ifpng.spi");
    if (!QFile::exists(shipped) || !QFile::exists(QCoreApplication::applicationDirPath() +
                                                  QStringLiteral("/nubivu-spihost"))) {
        std::fprintf(stderr, "no ifpng.spi or no nubivu-spihost beside the bench\n");
        return 2;
    }
    QTemporaryDir work;
    // The user's settings stay as they are: this process keeps its own.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(work.filePath(QStringLiteral("config"))));
    const QString susie = work.filePath(QStringLiteral("susie"));
    QDir().mkpath(susie);
    QFile::copy(shipped, susie + QStringLiteral("/ifpng.spi"));
    std::vector<RowFiles> rows(8);
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t s = 0; s < 3; ++s) {
            const QString file = work.filePath(QStringLiteral("row%1_%2.png").arg(r).arg(s));
            // A different picture in every file: no cache of the last one helps.
            weatherMap(1920 + int(r * 3 + s), 1080).save(file, "PNG");
            rows[r][s] = file;
        }

    const Cores cores;
    cores.use(1);
    // One player at a time, as the program has one main window; each played
    // once before it is timed: libraries loaded, the helper started.
    auto play = [&](const QString& susieFolder, int* helpers) {
        setSusieFolder(susieFolder);
        LessonPlayer player(1920);
        player.setRows(rows, 24);
        player.playToEnd();
        const double ms = player.playToEnd();
        if (helpers) *helpers = helperChildren();
        return ms;
    };
    std::vector<double> inMs, helperMs, ratio;
    const double perRow = 1.0 / 23.0;
    int helpers = 0;
    for (int i = 0; i < runs; ++i) {
        const double a = play({}, nullptr);
        const double b = play(susie, &helpers);
        inMs.push_back(a * perRow);
        helperMs.push_back(b * perRow);
        ratio.push_back(b / a);
    }
    setSusieFolder({});
    std::printf("plug-in rows: 24 rows of three 1920x1080 PNG files, screen 1920, one core, %d "
                "paired runs, medians (%d helper processes seen)\n",
                runs, helpers);
    std::printf("    in process %.2f ms per row, in the helper %.2f ms per row\n", median(inMs),
                median(helperMs));
    std::printf("ratio %.3f helper/in process\n", median(ratio));
    return helpers > 0 ? 0 : 2;
}

} // namespace playbench
