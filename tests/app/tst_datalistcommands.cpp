#include "app/mainwindow.h"
#include "datalist/datalistfile.h"
#include "editor/listeditorwindow.h"
#include "fakeprompter.h"
#include "listfixture.h"
#include "showfixture.h"
#include "sitephotos/skywindow.h"
#include "testpictures.h"
#include "testrunner.h"
#include "ui/picturepane.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDomDocument>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <fnmatch.h>

using namespace nubivu;
using namespace nubivu::test;

namespace {

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

QStringList titles() {
    const SlotPaths t = TheLesson().titles();
    return QStringList(t.begin(), t.end());
}

DataList& list() { return TheLesson().rows(); }

// Whether the desktop's file type takes the name: its glob patterns, which
// match in any case unless marked case-sensitive.
bool mimeGlobsMatch(const QString& name) {
    QFile xml(QStringLiteral(NUBIVU_SOURCE_DIR "/desktop/io.github.nubivu.Nubivu.mime.xml"));
    if (!xml.open(QIODevice::ReadOnly)) return false;
    QDomDocument doc;
    if (!doc.setContent(&xml, true)) return false;
    const QDomElement type = doc.documentElement().firstChildElement(QStringLiteral("mime-type"));
    for (QDomElement g = type.firstChildElement(QStringLiteral("glob")); !g.isNull();
         g = g.nextSiblingElement(QStringLiteral("glob"))) {
        const int flags =
            g.attribute(QStringLiteral("case-sensitive")) == u"true" ? 0 : FNM_CASEFOLD;
        if (::fnmatch(g.attribute(QStringLiteral("pattern")).toUtf8().constData(),
                      name.toUtf8().constData(), flags) == 0)
            return true;
    }
    return false;
}

const QString kNew = QStringLiteral("Nubivu Ver.3.10  [ 新しいファイルです ]");
const QByteArray kTitleLine = "\"T1\",\"T2\",\"T3\",\"T4\",\"T5\",\"T6\",\"T7\"\r\n";

} // namespace

class TestDataListCommands : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }

private Q_SLOTS:
    void init() {
        StopWindows();
        StartWindows(1024);
    }
    void cleanup() { StopWindows(); }

    void openVersion2SetsListTitlesAndCaption() {
        writeBytes(path("a.NV2"),
                   kTitleLine + "\"k1\",\"n1\"\r\n\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n");
        FakePrompter prompter;
        prompter.files = {path("a.NV2")};
        TheLesson().setSaved(true);
        MainForm()->openList();
        QCOMPARE(prompter.fileDialogs.size(), size_t(1));
        QCOMPARE(prompter.fileDialogs[0], QStringLiteral("データリストファイルの読み込み"));
        QCOMPARE(ListRows(list()), (QStringList{"k1|n1", ""}));
        QCOMPARE(titles(), (QStringList{"T1", "T2", "T3", "T4", "T5", "T6", "T7"}));
        QCOMPARE(child<QLabel>(SkyForm(), "lblWest")->text(), QStringLiteral("T7"));
        QCOMPARE(MainForm()->windowTitle(),
                 QStringLiteral("Nubivu Ver.3.10  [ ") + path("a.NV2") + QStringLiteral(" ]"));
        QCOMPARE(TheLesson().filePath(), path("a.NV2"));
        QCOMPARE(Show().currentRow(), 1);
        QVERIFY(TheLesson().isSaved());
    }

    void cancelledOpenChangesNothing() {
        FillList(list(), {"a", "b"});
        TheLesson().setSaved(true);
        FakePrompter prompter;
        prompter.files = {QString()};
        MainForm()->openList();
        QCOMPARE(ListRows(list()), (QStringList{"a", "b"}));
        QCOMPARE(MainForm()->windowTitle(), kNew);
        QVERIFY(TheLesson().filePath().isEmpty());
    }

    // Mend: a failed Open leaves the lesson on show as it was and names the
    // file; no save question follows for a change the user never made.
    void failedOpenKeepsTheLesson_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // written first unless empty
        QTest::addColumn<QString>("message");
        QTest::newRow("missing file") << "gone.NVD" << QByteArray() << "ファイルが見つかりません";
        QTest::newRow("a folder") << "folder.NVD" << QByteArray()
                                  << "ファイルへのアクセスが拒否されました";
        QTest::newRow("a picture, not text")
            << "photo.NV2" << QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\r\n\"x\"\r\n", 18)
            << "データリストファイルとして読み込めません。";
    }
    void failedOpenKeepsTheLesson() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QString file = dir_.filePath(name);
        if (!bytes.isEmpty()) writeBytes(file, bytes);
        if (name.startsWith(u"folder")) QVERIFY(QDir(dir_.path()).mkpath(name));
        writeBytes(path("shown.NV2"), kTitleLine + "\"k1\"\r\n\"k2\",\"\",\"\",\"n2\"\r\n");
        MainForm()->OpenDataListFile(path("shown.NV2"));
        MainForm()->stepForward();
        const QString caption = MainForm()->windowTitle();
        FakePrompter prompter;
        QString raised;
        try {
            MainForm()->OpenDataListFile(file);
        } catch (const ENubivuError& e) {
            raised = e.message();
        }
        QCOMPARE(raised, message + u'\n' + file);
        QCOMPARE(ListRows(list()), (QStringList{"k1", "k2|||n2"}));
        QCOMPARE(titles().first(), QStringLiteral("T1"));
        QCOMPARE(MainForm()->windowTitle(), caption);
        QCOMPARE(TheLesson().filePath(), path("shown.NV2"));
        QCOMPARE(Show().currentRow(), 2);
        QCOMPARE(child<QLabel>(MainForm(), "Label4")->text(), QStringLiteral("2"));
        QVERIFY(child<QPushButton>(MainForm(), "BitBtnKansokuti")->isEnabled());
        QVERIFY(TheLesson().isSaved());
        QVERIFY(MainForm()->SaveChangesQuery());
        QVERIFY(prompter.asked.empty());
    }

    void version1ResetsTheTitles() {
        writeBytes(path("b.NVD"), "\"a\"\r\n");
        TheLesson().setTitles(RowOf("x|y|z"));
        MainForm()->OpenDataListFile(path("b.NVD"));
        QCOMPARE(titles(), QStringList(defaultTitles().begin(), defaultTitles().end()));
    }

    // Mend: Open and New ask the save question while the list is unsaved.
    void openAndNewAskBeforeDropping_data() {
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("answer"); // 0 save, 1 do not save, 2 cancel
        QTest::addColumn<bool>("proceeds");
        QTest::newRow("open, cancel") << true << 2 << false;
        QTest::newRow("open, do not save") << true << 1 << true;
        QTest::newRow("open, save but cancel its dialog") << true << 0 << false;
        QTest::newRow("new, cancel") << false << 2 << false;
        QTest::newRow("new, do not save") << false << 1 << true;
    }
    void openAndNewAskBeforeDropping() {
        QFETCH(bool, open);
        QFETCH(int, answer);
        QFETCH(bool, proceeds);
        writeBytes(path("c.NVD"), "\"new\"\r\n");
        FillList(list(), {"unsaved"});
        TheLesson().setSaved(false);
        FakePrompter prompter;
        prompter.answers = {answer};
        prompter.files = {answer == 0 ? QString() : path("c.NVD")};
        if (open)
            MainForm()->openList();
        else
            MainForm()->newList();
        QCOMPARE(int(prompter.asked.size()), 1);
        QCOMPARE(prompter.asked[0].text,
                 QStringLiteral("データが保存されていません。\n保存しますか？"));
        const QStringList expected = !proceeds ? QStringList{"unsaved"}
                                     : open    ? QStringList{"new"}
                                               : QStringList{};
        QCOMPARE(ListRows(list()), expected);
        QCOMPARE(EditForm()->isVisible(), proceeds && !open);
        EditForm()->hide();
    }

    void newKeepsFileNameAndTitles() {
        TheLesson().setFilePath(QStringLiteral("/d/may.NV2"));
        TheLesson().setTitles(RowOf("x"));
        FillList(list(), {"a"});
        TheLesson().setSaved(true);
        FakePrompter prompter;
        MainForm()->newList();
        QVERIFY(prompter.asked.empty());
        QCOMPARE(list().RowCount(), 2);
        QCOMPARE(TheLesson().filePath(), QStringLiteral("/d/may.NV2"));
        QCOMPARE(titles().first(), QStringLiteral("x"));
        QCOMPARE(MainForm()->windowTitle(), kNew);
        QVERIFY(!TheLesson().isSaved());
        QVERIFY(EditForm()->isVisible());
        EditForm()->close();
    }

    void saveDialogPresetsTheName() {
        TheLesson().setFilePath(QStringLiteral("C:\\data\\may.NV2"));
        FakePrompter prompter;
        prompter.files = {QString()};
        MainForm()->saveList();
        QCOMPARE(prompter.fileDialogs.size(), size_t(1));
        QCOMPARE(prompter.fileDialogs[0], QStringLiteral("データリストファイルの保存"));
        QVERIFY(
            MainForm()->saveDialog().selectedFiles().value(0).endsWith(QStringLiteral("/may.NV2")));
    }

    void fillInIsWrittenButNeverIntoRowOne() {
        FillList(list(), {"|w1", "k2", "", "|w4"});
        Show().setFillOptions({true, false});
        // from a row shown earlier
        Show().setLoadedPaths(Show().currentPaths(), RowOf(QStringLiteral("old-kumo")));
        TheLesson().setTitles(RowOf("T"));
        FakePrompter prompter;
        for (const char* name : {"f.NV2", "f.NVD"}) prompter.files.push_back(path(name));
        MainForm()->saveList();
        MainForm()->saveList();
        Show().setFillOptions({});
        const QByteArray rows = "\"\",\"w1\",\"\",\"\",\"\",\"\",\"\"\r\n"
                                "\"k2\",\"w1\",\"\",\"\",\"\",\"\",\"\"\r\n"
                                "\"k2\",\"w1\",\"\",\"\",\"\",\"\",\"\"\r\n"
                                "\"k2\",\"w4\",\"\",\"\",\"\",\"\",\"\"\r\n";
        QCOMPARE(readBytes(path("f.NVD")), rows);
        QCOMPARE(readBytes(path("f.NV2")), "\"T\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n" + rows);
        // Without write-back the list keeps its empty cells.
        QCOMPARE(ListRows(list()), (QStringList{"|w1", "k2", "", "|w4"}));
        QVERIFY(TheLesson().isSaved());
    }

    void lowerCaseNv2IsSavedAsVersion1() {
        FillList(list(), {"a"});
        TheLesson().setTitles(RowOf("T"));
        FakePrompter prompter;
        prompter.files = {path("low.nv2")};
        MainForm()->saveList();
        QCOMPARE(readBytes(path("low.nv2")), QByteArray("\"a\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"));
        TheLesson().setTitles(RowOf("kept"));
        MainForm()->OpenDataListFile(path("low.nv2"));
        QCOMPARE(ListRows(list()), QStringList{"a"});
        QCOMPARE(titles().first(), QStringLiteral("kept"));
    }

    // Mend: a line break in a value stops Save before any file is touched.
    void lineBreakStopsSaveBeforeTheFile() {
        writeBytes(path("keep.NVD"), "old");
        FillList(list(), {"a", "|b\nc"});
        TheLesson().setSaved(false);
        FakePrompter prompter;
        prompter.files = {path("keep.NVD")};
        QVERIFY_THROWS_EXCEPTION(EDataListValue, MainForm()->saveList());
        QCOMPARE(readBytes(path("keep.NVD")), QByteArray("old"));
        QVERIFY(!TheLesson().isSaved());
    }

    void failedSaveOnClosingKeepsTheWindowOpen() {
        FillList(list(), {"a"});
        TheLesson().setSaved(false);
        FakePrompter prompter;
        prompter.answers = {0};
        prompter.files = {path("no/such/folder/x.NVD")};
        // The error report is a modal box; here it only has to be shown, not answered.
        QVERIFY(!MainForm()->SaveChangesQuery());
        QVERIFY(!TheLesson().isSaved());
    }

    // Mend: a save that is refused or fails changes nothing the user sees:
    // the row on show, the file name and the caption stay, the old file too.
    void failedSaveKeepsShowAndName_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");
        QTest::newRow("read-only file") << "readonly.NVD"
                                        << "ファイルへのアクセスが拒否されました";
        QTest::newRow("missing folder") << "no/such.NVD"
                                        << "ファイルが見つかりません";
        QTest::newRow("value with a line break") << "fine.NVD"
                                                 << "3行目の「雲の写真」";
    }
    void failedSaveKeepsShowAndName() {
        QFETCH(QString, target);
        QFETCH(QString, message);
        writeBytes(path("shown.NVD"), "\"k1\"\r\n\"k2\",\"\",\"\",\"n2\"\r\n\"k3\"\r\n");
        MainForm()->OpenDataListFile(path("shown.NVD"));
        if (target == u"fine.NVD") list().SetCell(1, 3, QStringLiteral("k\n3"));
        writeBytes(path("readonly.NVD"), "old");
        QFile::setPermissions(path("readonly.NVD"),
                              QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        MainForm()->stepForward();
        TheLesson().setSaved(false);
        const QString caption = MainForm()->windowTitle();
        const SlotPaths shownPaths = Show().currentPaths();
        FakePrompter prompter;
        prompter.files = {dir_.filePath(target)};
        QString raised;
        try {
            MainForm()->saveList();
        } catch (const ENubivuError& e) {
            raised = e.message();
        }
        QVERIFY2(raised.startsWith(message), qPrintable(raised));
        QCOMPARE(readBytes(path("readonly.NVD")), QByteArray("old"));
        QCOMPARE(Show().currentRow(), 2);
        QCOMPARE(Show().currentPaths(), shownPaths);
        QCOMPARE(child<QLabel>(MainForm(), "Label4")->text(), QStringLiteral("2"));
        QCOMPARE(child<QLabel>(MainForm(), "lblKUMO")->text(), QStringLiteral("k2"));
        QCOMPARE(TheLesson().filePath(), path("shown.NVD"));
        QCOMPARE(MainForm()->windowTitle(), caption);
        QVERIFY(!TheLesson().isSaved());
        // The next step goes on from the row on show.
        MainForm()->stepForward();
        QCOMPARE(Show().currentRow(), 3);
    }

    // Mend: a new or another list starts without the paths of the list before:
    // they would fill its empty cells, be written into its file and show as
    // its sky photos.
    void replacedListForgetsTheRowPaths_data() {
        QTest::addColumn<bool>("open");
        QTest::newRow("open another list") << true;
        QTest::newRow("new list") << false;
    }
    void replacedListForgetsTheRowPaths() {
        QFETCH(bool, open);
        writeBytes(path("a.NVD"), "\"ka\",\"\",\"\",\"na\"\r\n");
        writeBytes(path("b.NVD"), "\"\",\"wb\"\r\n\"\",\"wb2\"\r\n");
        MainForm()->OpenDataListFile(path("a.NVD"));
        QVERIFY(child<QPushButton>(MainForm(), "BitBtnKansokuti")->isEnabled());
        Show().setFillOptions({true, false});
        FakePrompter prompter;
        if (open) {
            MainForm()->OpenDataListFile(path("b.NVD"));
            MainForm()->stepForward();
            QCOMPARE(child<QLabel>(MainForm(), "lblKUMO")->text(), QString());
            prompter.files = {path("b2.NVD")};
            MainForm()->saveList();
            QVERIFY(readBytes(path("b2.NVD")).startsWith("\"\",\"wb\""));
            QVERIFY(!readBytes(path("b2.NVD")).contains("ka"));
        } else {
            MainForm()->newList();
            EditForm()->hide();
            QCOMPARE(child<QLabel>(MainForm(), "Label4")->text(), QStringLiteral("???"));
        }
        Show().setFillOptions({});
        QVERIFY(!child<QPushButton>(MainForm(), "BitBtnKansokuti")->isEnabled());
        QVERIFY(Show().lastPaths()[0].isEmpty());
        QVERIFY(Show().lastPaths()[3].isEmpty());
    }

    // Mend: the save dialog starts in the open list's folder; for a new list
    // in the folder last used, else in the documents folder.
    void saveDialogStartsInTheListFolder_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("folder"); // below the test folder; "~" the documents folder
        QTest::newRow("nothing opened yet") << ""
                                            << "~";
        QTest::newRow("open list") << "open"
                                   << "lists";
        QTest::newRow("new list after a save elsewhere") << "open,save,new"
                                                         << "elsewhere";
        QTest::newRow("list saved elsewhere") << "open,save"
                                              << "elsewhere";
    }
    void saveDialogStartsInTheListFolder() {
        QFETCH(QString, steps);
        QFETCH(QString, folder);
        QDir(dir_.path()).mkpath(QStringLiteral("lists"));
        QDir(dir_.path()).mkpath(QStringLiteral("elsewhere"));
        writeBytes(path("lists/a.NVD"), "\"ka\"\r\n");
        FakePrompter prompter;
        for (const QString& step : steps.split(u',', Qt::SkipEmptyParts)) {
            if (step == u"open") MainForm()->OpenDataListFile(path("lists/a.NVD"));
            if (step == u"save") {
                prompter.files = {path("elsewhere/b.NVD")};
                MainForm()->saveList();
            }
            if (step == u"new") {
                MainForm()->newList();
                EditForm()->hide();
            }
        }
        prompter.files = {QString()};
        MainForm()->saveList();
        QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!QFileInfo(documents).isDir()) documents = QDir::homePath();
        const QString expected = folder == u"~" ? documents : dir_.filePath(folder);
        QCOMPARE(MainForm()->saveDialog().directory().absolutePath(),
                 QDir(expected).absolutePath());
    }

    // Mend: Save As into another folder writes relative picture paths from the
    // new folder (absolute where the picture is not below it), and the lesson
    // shows the same pictures afterwards.
    void saveAsElsewhereKeepsThePictures() {
        TestPictureFormat format;
        QDir(dir_.path()).mkpath(QStringLiteral("may/pics"));
        QDir(dir_.path()).mkpath(QStringLiteral("other"));
        WriteTestPicture(path("may/pics/k.tpx"), 11);
        WriteTestPicture(path("may/m.tpx"), 12);
        writeBytes(path("may/l.NVD"), "\"pics/k.tpx\",\"m.tpx\"\r\n");
        MainForm()->OpenDataListFile(path("may/l.NVD"));
        QCOMPARE(child<PicturePane>(MainForm(), "ImgKumo")->Picture().Width(), 11);
        FakePrompter prompter;
        prompter.files = {path("l2.NVD"), path("other/l3.NVD")};
        MainForm()->saveList();
        QVERIFY(readBytes(path("l2.NVD")).startsWith("\"may/pics/k.tpx\",\"may/m.tpx\",\""));
        QCOMPARE(child<PicturePane>(MainForm(), "ImgKumo")->Picture().Width(), 11);
        QCOMPARE(child<PicturePane>(MainForm(), "ImgNubivuzu")->Picture().Width(), 12);
        MainForm()->saveList();
        const QString absolute = "\"" + path("may/pics/k.tpx") + "\",\"" + path("may/m.tpx") + "\"";
        QVERIFY2(readBytes(path("other/l3.NVD")).startsWith(absolute.toUtf8()),
                 readBytes(path("other/l3.NVD")).constData());
        QCOMPARE(child<PicturePane>(MainForm(), "ImgKumo")->Picture().Width(), 11);
        QCOMPARE(child<PicturePane>(MainForm(), "ImgNubivuzu")->Picture().Width(), 12);
        QVERIFY(TheLesson().isSaved());
    }

    // Mend: a list dropped on the window is read as Open reads it, in every
    // case of its extension, and the desktop's file type takes the same names.
    void droppedListsAreReadAsOpenReadsThem_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("title"); // the first title afterwards
        const QString kept = QStringLiteral("kept");
        QTest::newRow("NV2: titles from the file") << "a.NV2" << true << QStringLiteral("T1");
        QTest::newRow("NVD: default titles") << "a.NVD" << true << QStringLiteral("雲の写真");
        QTest::newRow("lower-case nv2: all rows, titles kept") << "a.nv2" << true << kept;
        QTest::newRow("lower-case nvd") << "a.nvd" << true << kept;
        QTest::newRow("mixed case") << "a.Nv2" << true << kept;
        QTest::newRow("other extension") << "a.txt" << false << kept;
        QTest::newRow("extension only in the folder") << "x.NV2.d/a" << false << kept;
    }
    void droppedListsAreReadAsOpenReadsThem() {
        QFETCH(QString, name);
        QFETCH(bool, taken);
        QFETCH(QString, title);
        QCOMPARE(IsDataListFileName(name), taken);
        QCOMPARE(mimeGlobsMatch(QFileInfo(name).fileName()), taken);

        QDir(dir_.path()).mkpath(QFileInfo(dir_.filePath(name)).path());
        writeBytes(dir_.filePath(name), kTitleLine + "\"k1\"\r\n");
        FillList(list(), {"before"});
        TheLesson().setTitles(RowOf("kept"));
        TheLesson().setSaved(true);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(dir_.filePath(name))});
        const QPoint at = MainForm()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(MainForm(), &enter);
        QCOMPARE(enter.isAccepted(), taken);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(MainForm(), &drop);
        const bool titleLine = title == u"T1";
        const QStringList rows = !taken      ? QStringList{"before"}
                                 : titleLine ? QStringList{"k1"}
                                             : QStringList{"T1|T2|T3|T4|T5|T6|T7", "k1"};
        QCOMPARE(ListRows(list()), rows);
        QCOMPARE(titles().first(), title);
    }

    void roundTripIsByteForByte() {
        TheLesson().setTitles(SlotPaths{QStringLiteral("雲の写真"), QStringLiteral("天気図 ①"),
                                        QStringLiteral("雨,分布"), QStringLiteral("北の\"空\""),
                                        QString(), QStringLiteral("東"), QStringLiteral("西")});
        FillList(list(), {QStringLiteral("pics/雲 01.jpg|maps/m01.bmp|rain/r,01.bmp"), "",
                          QStringLiteral("|||n.jpg|s.jpg|e.jpg|w.jpg"), "a\"b"});
        FakePrompter prompter;
        prompter.files = {path("round.NV2"), path("again.NV2")};
        MainForm()->saveList();
        const QStringList rows = ListRows(list());
        const QStringList savedTitles = titles();
        StopWindows();
        StartWindows(1024);
        MainForm()->OpenDataListFile(path("round.NV2"));
        QCOMPARE(ListRows(list()), rows);
        QCOMPARE(titles(), savedTitles);
        MainForm()->saveList();
        QCOMPARE(readBytes(path("again.NV2")), readBytes(path("round.NV2")));
        // Every value fits CP932: the file is in the code page the program always wrote.
        QStringEncoder codePage("Shift-JIS");
        const QByteArray firstTitle = codePage.encode(QStringLiteral("\"雲の写真\""));
        QVERIFY(readBytes(path("round.NV2")).startsWith(firstTitle));
    }
};

NUBIVU_TEST(TestDataListCommands)
#include "tst_datalistcommands.moc"
