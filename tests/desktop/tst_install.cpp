#include "nubivucopy.h"
#include "testrunner.h"

#include <QDirIterator>
#include <QDomDocument>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace nubivu::test;

namespace {
const QString kAppId = QStringLiteral("io.github.nubivu.Nubivu");

struct Run {
    int exitCode = -1;
    QString output;
};

Run run(const QString& program, const QStringList& args) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    Run result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.output = QString::fromUtf8(process.readAll());
    return result;
}

// Every file below a folder, as sorted relative paths.
QStringList filesUnder(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

// key=value lines of a desktop entry's main group
QMap<QString, QString> readDesktopEntry(const QString& path) {
    QMap<QString, QString> entry;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return entry;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && !line.startsWith(QLatin1Char('#')))
            entry.insert(line.left(eq), line.mid(eq + 1));
    }
    return entry;
}
} // namespace

// The build installed into a scratch prefix, as a package would install it.
class TestInstall : public QObject {
    Q_OBJECT

    QTemporaryDir prefix_;
    QString at(const QString& relative) const { return prefix_.filePath(relative); }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(prefix_.isValid());
        const Run install = run(QStringLiteral(NUBIVU_CMAKE_COMMAND),
                                {QStringLiteral("--install"), QStringLiteral(NUBIVU_BINARY_DIR),
                                 QStringLiteral("--prefix"), prefix_.path()});
        QVERIFY2(install.exitCode == 0, qPrintable(install.output));
    }

    void validators_data() {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("file");
        QTest::newRow("launcher") << "desktop-file-validate" << QStringList{}
                                  << "share/applications/" + kAppId + ".desktop";
        QTest::newRow("metainfo") << "appstreamcli" << QStringList{"validate", "--no-net"}
                                  << "share/metainfo/" + kAppId + ".metainfo.xml";
        QTest::newRow("file type")
            << "xmllint" << QStringList{"--noout"} << "share/mime/packages/" + kAppId + ".xml";
        QTest::newRow("scalable icon") << "xmllint" << QStringList{"--noout"}
                                       << "share/icons/hicolor/scalable/apps/" + kAppId + ".svg";
    }
    void validators() {
        QFETCH(QString, tool);
        QFETCH(QStringList, args);
        QFETCH(QString, file);
        const QString program = QStandardPaths::findExecutable(tool);
        if (program.isEmpty()) QSKIP(qPrintable(tool + QStringLiteral(" is not installed")));
        QVERIFY2(QFileInfo::exists(at(file)), qPrintable(file));
        const Run check = run(program, args << at(file));
        QVERIFY2(check.exitCode == 0, qPrintable(check.output));
        // Clean means silent: no error, warning, hint or pedantic note.
        QStringList said = check.output.split(QLatin1Char('\n'));
        said.removeIf([](const QString& line) {
            return line.trimmed().isEmpty() ||
                   line.contains(QStringLiteral("Validation was successful"));
        });
        QVERIFY2(said.isEmpty(), qPrintable(check.output));
    }

    void launcherOpensDataLists() {
        const auto entry = readDesktopEntry(at("share/applications/" + kAppId + ".desktop"));
        QCOMPARE(entry.value(QStringLiteral("Exec")), QStringLiteral("nubivu %f"));
        QCOMPARE(entry.value(QStringLiteral("Icon")), kAppId);
        for (const char* key : {"Name", "Name[ja]", "Comment", "Comment[ja]"})
            QVERIFY2(!entry.value(QLatin1String(key)).isEmpty(), key);
        const QStringList categories =
            entry.value(QStringLiteral("Categories")).split(QLatin1Char(';'));
        QVERIFY(categories.contains(QStringLiteral("Education")));
        QVERIFY(categories.contains(QStringLiteral("Geoscience")));
        const QString type =
            entry.value(QStringLiteral("MimeType")).section(QLatin1Char(';'), 0, 0);
        QCOMPARE(type, QStringLiteral("application/x-nubivu-datalist"));

        // The file type the launcher claims, with both extensions.
        QFile xml(at("share/mime/packages/" + kAppId + ".xml"));
        QVERIFY(xml.open(QIODevice::ReadOnly));
        QDomDocument doc;
        QVERIFY(doc.setContent(&xml, true));
        const QDomElement mime =
            doc.documentElement().firstChildElement(QStringLiteral("mime-type"));
        QCOMPARE(mime.attribute(QStringLiteral("type")), type);
        QStringList globs;
        for (QDomElement g = mime.firstChildElement(QStringLiteral("glob")); !g.isNull();
             g = g.nextSiblingElement(QStringLiteral("glob")))
            globs << g.attribute(QStringLiteral("pattern"));
        QCOMPARE(globs, (QStringList{"*.NV2", "*.NVD"}));

        // The desktop's own tool accepts the package and maps both globs to the type.
        const QString updater =
            QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
        if (updater.isEmpty()) QSKIP("update-mime-database is not installed");
        const Run update = run(updater, {at(QStringLiteral("share/mime"))});
        QVERIFY2(update.exitCode == 0, qPrintable(update.output));
        QFile globs2(at(QStringLiteral("share/mime/globs2")));
        QVERIFY(globs2.open(QIODevice::ReadOnly));
        const QString table = QString::fromUtf8(globs2.readAll());
        QVERIFY2(table.contains(type + QStringLiteral(":*.nv2")), qPrintable(table));
        QVERIFY2(table.contains(type + QStringLiteral(":*.nvd")), qPrintable(table));
    }

    void icons() {
        const QImage png(at("share/icons/hicolor/48x48/apps/" + kAppId + ".png"));
        QCOMPARE(png.size(), QSize(48, 48));
        QVERIFY(png.hasAlphaChannel());
        QCOMPARE(png.pixelColor(0, 0).alpha(), 0);      // a shape, not a square
        QVERIFY(png.pixelColor(24, 34).alpha() == 255); // the cloud's body
    }

    void installedProgramFindsHelpAndPlugins() {
        const QString program = at(QStringLiteral("bin/nubivu"));
        // A Susie plug-in folder holding a file that is no plug-in: searched
        // first, and the file is named with the reason it was passed over.
        QTemporaryDir susie;
        QVERIFY(QDir().mkpath(susie.filePath(QStringLiteral("config/Quorril"))));
        QVERIFY(QDir().mkpath(susie.filePath(QStringLiteral("plugins"))));
        const QString broken = susie.filePath(QStringLiteral("plugins/broken.spi"));
        {
            QFile conf(susie.filePath(QStringLiteral("config/Quorril/Susie.conf")));
            QFile junk(broken);
            QVERIFY(conf.open(QIODevice::WriteOnly) && junk.open(QIODevice::WriteOnly));
            conf.write("[Plug-in]\nPath=" +
                       QFile::encodeName(susie.filePath(QStringLiteral("plugins"))) + "\n");
            junk.write("not a library");
        }
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(susie.filePath(QStringLiteral("config"))));
        const Run check = run(program, {QStringLiteral("--self-check")});
        qputenv("XDG_CONFIG_HOME", config);
        QVERIFY2(check.exitCode == 0, qPrintable(check.output));
        const QString folders =
            QStringLiteral("plug-ins: ") + susie.filePath(QStringLiteral("plugins")) +
            QStringLiteral(" (nothing found)\nplug-ins: ") + at(QStringLiteral("bin"));
        QVERIFY2(check.output.contains(folders), qPrintable(check.output));
        QVERIFY2(check.output.contains(QStringLiteral("skipped: ") + broken),
                 qPrintable(check.output));
        const QString help = QDir::cleanPath(at(QStringLiteral("share/nubivu/help")));
        QVERIFY2(check.output.contains(QStringLiteral("help: ") + help +
                                       QStringLiteral(" (contents.html")),
                 qPrintable(check.output));
        const QString plugins = QDir::cleanPath(at(QStringLiteral(NUBIVU_INSTALL_PLUGINDIR)));
        const QStringList lines = check.output.split(QLatin1Char('\n'));
        const auto line = std::find_if(lines.begin(), lines.end(), [&](const QString& l) {
            return l.startsWith(QStringLiteral("plug-ins: ") + plugins + QStringLiteral(" ("));
        });
        QVERIFY2(line != lines.end(), qPrintable(check.output));
        // Every plug-in built beside the program is found in the installed folder.
        const QStringList built =
            QDir(QStringLiteral(NUBIVU_RUNTIME_DIR))
                .entryList({QStringLiteral("*.spi")}, QDir::Files, QDir::Name);
        for (const QString& name : built) QVERIFY2(line->contains(name), qPrintable(*line));
        // Each with the formats it reads.
        QVERIFY2(check.output.contains(QStringLiteral("plug-in: ") + plugins +
                                       QStringLiteral("/ifpng.spi [00IN]")),
                 qPrintable(check.output));
        QVERIFY2(check.output.contains(QStringLiteral("\n  *.png")), qPrintable(check.output));

        // And it starts.
        RuntimeDir runtime;
        NubivuCopy copy(runtime.path(), program);
        copy.start();
        QVERIFY2(copy.waitFor(QStringLiteral("first copy")), qPrintable(copy.log()));
        copy.terminate();
        QVERIFY(copy.waitForEnd());
        QCOMPARE(copy.exitCode(), 0);
    }

    void helpAndSampleLessonInstalled_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("installed");
        QTest::newRow("help pages") << "help"
                                    << "share/nubivu/help";
        QTest::newRow("sample lesson") << "samples"
                                       << "share/nubivu/samples";
    }
    void helpAndSampleLessonInstalled() {
        QFETCH(QString, source);
        QFETCH(QString, installed);
        const QDir from(QStringLiteral(NUBIVU_SOURCE_DIR "/") + source);
        if (!from.exists()) QSKIP("not in this tree");
        const QStringList files = filesUnder(from.path());
        QVERIFY(!files.isEmpty());
        QCOMPARE(filesUnder(at(installed)), files);
    }
};

NUBIVU_TEST(TestInstall)
#include "tst_install.moc"
