// What a picture may make the shipped plug-ins take: never much more than the
// picture it shows. Small files whose inner headers claim huge pictures,
// windows or buffers are decoded in a process of their own (decodepeak), which
// counts the heap the decode holds at its peak.
#include "hostilepictures.h"
#include "susieplugin.h"
#include "testrunner.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace nubivu::test;

namespace {

// A few megabytes: the plug-ins' own state and small buffers, never the
// claims of the headers above.
constexpr qint64 Budget = qint64(4) << 20;

struct Peak {
    int info = -100;
    int picture = -100;
    qint64 bytes = -1;
    QString failure; // why the decode process gave no answer
};

Peak decodePeak(const QString& plugin, const QString& file) {
    QProcess process;
    process.start(QStringLiteral(NUBIVU_DECODE_PEAK),
                  {QStringLiteral(NUBIVU_RUNTIME_DIR "/") + plugin + QStringLiteral(".spi"), file});
    Peak peak;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        peak.failure = QStringLiteral("the decode ended abnormally: ") +
                       QString::fromLocal8Bit(process.readAllStandardError()).right(2000);
        return peak;
    }
    const QString out = QString::fromLatin1(process.readAllStandardOutput());
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("info=(-?\\d+) picture=(-?\\d+) peak=(-?\\d+)"))
            .match(out);
    if (!m.hasMatch()) {
        peak.failure = QStringLiteral("no answer: ") + out;
        return peak;
    }
    peak.info = m.captured(1).toInt();
    peak.picture = m.captured(2).toInt();
    peak.bytes = m.captured(3).toLongLong();
    return peak;
}

Peak decodePeak(const QString& plugin, const QByteArray& data) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("picture"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size()) return Peak{};
    out.close();
    return decodePeak(plugin, file);
}

QString described(const Peak& peak) {
    return peak.failure.isEmpty() ? QStringLiteral("info %1, picture %2, peak %3 bytes")
                                        .arg(peak.info)
                                        .arg(peak.picture)
                                        .arg(peak.bytes)
                                  : peak.failure;
}

} // namespace

class TestPluginMemory : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void hostileHeadersTakeLittle_data() {
        QTest::addColumn<QString>("plugin");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("refused");
        for (const Hostile& h : hostilePictures())
            QTest::newRow(qPrintable(h.name)) << h.plugin << h.data << h.refused;
    }
    void hostileHeadersTakeLittle() {
        QFETCH(QString, plugin);
        QFETCH(QByteArray, data);
        QFETCH(bool, refused);
        const Peak peak = decodePeak(plugin, data);
        qInfo("PEAKDUMP %s", qPrintable(described(peak)));
        QVERIFY2(peak.failure.isEmpty(), qPrintable(peak.failure));
        QVERIFY2(peak.bytes <= Budget, qPrintable(described(peak)));
        if (refused) {
            QVERIFY2(peak.picture != SPI_ALL_RIGHT, qPrintable(described(peak)));
        }
    }

    // The file that first showed the fault, where the shared folder beside
    // the checkout has it.
    void jbigFileThatAskedForGigabytes() {
        const QString file = QStringLiteral(NUBIVU_SOURCE_DIR "/../shared/repro/tiff-jbig-4gb.tif");
        if (!QFileInfo::exists(file)) QSKIP("no shared repro folder beside the checkout");
        const Peak peak = decodePeak(QStringLiteral("iftiff"), file);
        QVERIFY2(peak.failure.isEmpty(), qPrintable(peak.failure));
        QVERIFY2(peak.bytes <= Budget, qPrintable(described(peak)));
        QVERIFY2(peak.picture != SPI_ALL_RIGHT, qPrintable(described(peak)));
    }
};

NUBIVU_TEST(TestPluginMemory)
#include "tst_pluginmemory.moc"
