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
    const SlotPaths t = theLesson().titles();
    return QStringList(t.begin(), t.end());
}

DataList& list() { return theLesson().rows(); }

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
        stopWindows();
        startWindows(1024);
    }
    void cleanup() { stopWindows(); }

    void openVersion2SetsListTitlesAndCaption() {
        writeBytes(path("a.NV2"),
                   kTitleLine + "\"k1\",\"n1\"\r\n\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n");
        FakePrompter& prompter = fakePrompter();
        prompter.files = {path("a.NV2")};
        theLesson().setSaved(true);
        mainForm()->openList();
        QCOMPARE(prompter.fileDialogs.size(), size_t(1));
        QCOMPARE(prompter.fileDialogs[0], QStringLiteral("データリストファイルの読み込み"));
        QCOMPARE(listRows(list()), (QStringList{"k1|n1", ""}));
        QCOMPARE(titles(), (QStringList{"T1", "T2", "T3", "T4", "T5", "T6", "T7"}));
        QCOMPARE(child<QLabel>(skyForm(), "lblWest")->text(), QStringLiteral("T7"));
        QCOMPARE(mainForm()->windowTitle(),
                 QStringLiteral("Nubivu Ver.3.10  [ ") + path("a.NV2") + QStringLiteral(" ]"));
        QCOMPARE(theLesson().filePath(), path("a.NV2"));
        QCOMPARE(shownRow(), 1);
        QVERIFY(theLesson().isSaved());
    }

    void cancelledOpenChangesNothing() {
        fillList(list(), {"a", "b"});
        theLesson().setSaved(true);
        FakePrompter& prompter = fakePrompter();
        prompter.files = {QString()};
        mainForm()->openList();
        QCOMPARE(listRows(list()), (QStringList{"a", "b"}));
        QCOMPARE(mainForm()->windowTitle(), kNew);
        QVERIFY(theLesson().filePath().isEmpty());
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
        mainForm()->openDataListFile(path("shown.NV2"));
        mainForm()->stepForward();
        const QString caption = mainForm()->windowTitle();
        FakePrompter& prompter = fakePrompter();
        QString raised;
        try {
            mainForm()->openDataListFile(file);
        } catch (const ENubivuError& e) {
            raised = e.message();
        }
        QCOMPARE(raised, message + u'\n' + file);
        QCOMPARE(listRows(list()), (QStringList{"k1", "k2|||n2"}));
        QCOMPARE(titles().first(), QStringLiteral("T1"));
        QCOMPARE(mainForm()->windowTitle(), caption);
        QCOMPARE(theLesson().filePath(), path("shown.NV2"));
        QCOMPARE(shownRow(), 2);
        QCOMPARE(child<QLabel>(mainForm(), "Label4")->text(), QStringLiteral("2"));
        QVERIFY(child<QPushButton>(mainForm(), "BitBtnKansokuti")->isEnabled());
        QVERIFY(theLesson().isSaved());
        QVERIFY(mainForm()->saveChangesQuery());
        QVERIFY(prompter.asked.empty());
    }

    void version1ResetsTheTitles() {
        writeBytes(path("b.NVD"), "\"a\"\r\n");
        theLesson().setTitles(rowOf("x|y|z"));
        mainForm()->openDataListFile(path("b.NVD"));
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
        fillList(list(), {"unsaved"});
        theLesson().setSaved(false);
        FakePrompter& prompter = fakePrompter();
        prompter.answers = {answer};
        prompter.files = {answer == 0 ? QString() : path("c.NVD")};
        if (open)
            mainForm()->openList();
        else
            mainForm()->newList();
        QCOMPARE(int(prompter.asked.size()), 1);
        QCOMPARE(prompter.asked[0].text,
                 QStringLiteral("データが保存されていません。\n保存しますか？"));
        const QStringList expected = !proceeds ? QStringList{"unsaved"}
                                     : open    ? QStringList{"new"}
                                               : QStringList{};
        QCOMPARE(listRows(list()), expected);
        QCOMPARE(editForm()->isVisible(), proceeds && !open);
        editForm()->hide();
    }

    void newKeepsFileNameAndTitles() {
        theLesson().setFilePath(QStringLiteral("/d/may.NV2"));
        theLesson().setTitles(rowOf("x"));
        fillList(list(), {"a"});
        theLesson().setSaved(true);
        FakePrompter& prompter = fakePrompter();
        mainForm()->newList();
        QVERIFY(prompter.asked.empty());
        QVERIFY(list().isEmpty());
        QCOMPARE(theLesson().filePath(), QStringLiteral("/d/may.NV2"));
        QCOMPARE(titles().first(), QStringLiteral("x"));
        QCOMPARE(mainForm()->windowTitle(), kNew);
        QVERIFY(!theLesson().isSaved());
        QVERIFY(editForm()->isVisible());
        editForm()->close();
    }

    void saveDialogPresetsTheName() {
        theLesson().setFilePath(QStringLiteral("C:\\data\\may.NV2"));
        FakePrompter& prompter = fakePrompter();
        prompter.files = {QString()};
        mainForm()->saveList();
        QCOMPARE(prompter.fileDialogs.size(), size_t(1));
        QCOMPARE(prompter.fileDialogs[0], QStringLiteral("データリストファイルの保存"));
        QVERIFY(
            mainForm()->saveDialog().selectedFiles().value(0).endsWith(QStringLiteral("/may.NV2")));
    }

    void fillInIsWrittenButNeverIntoRowOne() {
        fillList(list(), {"|w1", "k2", "", "|w4"});
        show().setFillOptions({true, false});
        // from a row shown earlier
        show().setLoadedPaths(show().currentPaths(), rowOf(QStringLiteral("old-kumo")));
        theLesson().setTitles(rowOf("T"));
        FakePrompter& prompter = fakePrompter();
        for (const char* name : {"f.NV2", "f.NVD"}) prompter.files.push_back(path(name));
        mainForm()->saveList();
        mainForm()->saveList();
        show().setFillOptions({});
        const QByteArray rows = "\"\",\"w1\",\"\",\"\",\"\",\"\",\"\"\r\n"
                                "\"k2\",\"w1\",\"\",\"\",\"\",\"\",\"\"\r\n"
                                "\"k2\",\"w1\",\"\",\"\",\"\",\"\",\"\"\r\n"
                                "\"k2\",\"w4\",\"\",\"\",\"\",\"\",\"\"\r\n";
        QCOMPARE(readBytes(path("f.NVD")), rows);
        QCOMPARE(readBytes(path("f.NV2")), "\"T\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n" + rows);
        // Without write-back the list keeps its empty cells.
        QCOMPARE(listRows(list()), (QStringList{"|w1", "k2", "", "|w4"}));
        QVERIFY(theLesson().isSaved());
    }

    void lowerCaseNv2IsSavedAsVersion1() {
        fillList(list(), {"a"});
        theLesson().setTitles(rowOf("T"));
        FakePrompter& prompter = fakePrompter();
        prompter.files = {path("low.nv2")};
        mainForm()->saveList();
        QCOMPARE(readBytes(path("low.nv2")), QByteArray("\"a\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"));
        theLesson().setTitles(rowOf("kept"));
        mainForm()->openDataListFile(path("low.nv2"));
        QCOMPARE(listRows(list()), QStringList{"a"});
        QCOMPARE(titles().first(), QStringLiteral("kept"));
    }

    // Mend: a line break in a value stops Save before any file is touched.
    void lineBreakStopsSaveBeforeTheFile() {
        writeBytes(path("keep.NVD"), "old");
        fillList(list(), {"a", "|b\nc"});
        theLesson().setSaved(false);
        FakePrompter& prompter = fakePrompter();
        prompter.files = {path("keep.NVD")};
        QVERIFY_THROWS_EXCEPTION(EDataListValue, mainForm()->saveList());
        QCOMPARE(readBytes(path("keep.NVD")), QByteArray("old"));
        QVERIFY(!theLesson().isSaved());
    }

    void failedSaveOnClosingKeepsTheWindowOpen() {
        fillList(list(), {"a"});
        theLesson().setSaved(false);
        FakePrompter& prompter = fakePrompter();
        prompter.answers = {0};
        prompter.files = {path("no/such/folder/x.NVD")};
        // The error report is a modal box; here it only has to be shown, not answered.
        QVERIFY(!mainForm()->saveChangesQuery());
        QVERIFY(!theLesson().isSaved());
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
        mainForm()->openDataListFile(path("shown.NVD"));
        if (target == u"fine.NVD") list().setCell(2, 0, QStringLiteral("k\n3"));
        writeBytes(path("readonly.NVD"), "old");
        QFile::setPermissions(path("readonly.NVD"),
                              QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        mainForm()->stepForward();
        theLesson().setSaved(false);
        const QString caption = mainForm()->windowTitle();
        const SlotPaths shownPaths = show().currentPaths();
        FakePrompter& prompter = fakePrompter();
        prompter.files = {dir_.filePath(target)};
        QString raised;
        try {
            mainForm()->saveList();
        } catch (const ENubivuError& e) {
            raised = e.message();
        }
        QVERIFY2(raised.startsWith(message), qPrintable(raised));
        QCOMPARE(readBytes(path("readonly.NVD")), QByteArray("old"));
        QCOMPARE(shownRow(), 2);
        QCOMPARE(show().currentPaths(), shownPaths);
        QCOMPARE(child<QLabel>(mainForm(), "Label4")->text(), QStringLiteral("2"));
        QCOMPARE(child<QLabel>(mainForm(), "lblKUMO")->text(), QStringLiteral("k2"));
        QCOMPARE(theLesson().filePath(), path("shown.NVD"));
        QCOMPARE(mainForm()->windowTitle(), caption);
        QVERIFY(!theLesson().isSaved());
        // The next step goes on from the row on show.
        mainForm()->stepForward();
        QCOMPARE(shownRow(), 3);
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
        mainForm()->openDataListFile(path("a.NVD"));
        QVERIFY(child<QPushButton>(mainForm(), "BitBtnKansokuti")->isEnabled());
        show().setFillOptions({true, false});
        FakePrompter& prompter = fakePrompter();
        if (open) {
            mainForm()->openDataListFile(path("b.NVD"));
            mainForm()->stepForward();
            QCOMPARE(child<QLabel>(mainForm(), "lblKUMO")->text(), QString());
            prompter.files = {path("b2.NVD")};
            mainForm()->saveList();
            QVERIFY(readBytes(path("b2.NVD")).startsWith("\"\",\"wb\""));
            QVERIFY(!readBytes(path("b2.NVD")).contains("ka"));
        } else {
            mainForm()->newList();
            editForm()->hide();
            QCOMPARE(child<QLabel>(mainForm(), "Label4")->text(), QStringLiteral("???"));
        }
        show().setFillOptions({});
        QVERIFY(!child<QPushButton>(mainForm(), "BitBtnKansokuti")->isEnabled());
        QVERIFY(show().lastPaths()[0].isEmpty());
        QVERIFY(show().lastPaths()[3].isEmpty());
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
        FakePrompter& prompter = fakePrompter();
        for (const QString& step : steps.split(u',', Qt::SkipEmptyParts)) {
            if (step == u"open") mainForm()->openDataListFile(path("lists/a.NVD"));
            if (step == u"save") {
                prompter.files = {path("elsewhere/b.NVD")};
                mainForm()->saveList();
            }
            if (step == u"new") {
                mainForm()->newList();
                editForm()->hide();
            }
        }
        prompter.files = {QString()};
        mainForm()->saveList();
        QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!QFileInfo(documents).isDir()) documents = QDir::homePath();
        const QString expected = folder == u"~" ? documents : dir_.filePath(folder);
        QCOMPARE(mainForm()->saveDialog().directory().absolutePath(),
                 QDir(expected).absolutePath());
    }

    // Mend: Save As into another folder writes relative picture paths from the
    // new folder (absolute where the picture is not below it), and the lesson
    // shows the same pictures afterwards.
    void saveAsElsewhereKeepsThePictures() {
        QDir(dir_.path()).mkpath(QStringLiteral("may/pics"));
        QDir(dir_.path()).mkpath(QStringLiteral("other"));
        writeTestPicture(path("may/pics/k.tpx"), 11);
        writeTestPicture(path("may/m.tpx"), 12);
        writeBytes(path("may/l.NVD"), "\"pics/k.tpx\",\"m.tpx\"\r\n");
        mainForm()->openDataListFile(path("may/l.NVD"));
        QCOMPARE(child<PicturePane>(mainForm(), "ImgKumo")->picture().width(), 11);
        FakePrompter& prompter = fakePrompter();
        prompter.files = {path("l2.NVD"), path("other/l3.NVD")};
        mainForm()->saveList();
        QVERIFY(readBytes(path("l2.NVD")).startsWith("\"may/pics/k.tpx\",\"may/m.tpx\",\""));
        QCOMPARE(child<PicturePane>(mainForm(), "ImgKumo")->picture().width(), 11);
        QCOMPARE(child<PicturePane>(mainForm(), "ImgNubivuzu")->picture().width(), 12);
        mainForm()->saveList();
        const QString absolute = "\"" + path("may/pics/k.tpx") + "\",\"" + path("may/m.tpx") + "\"";
        QVERIFY2(readBytes(path("other/l3.NVD")).startsWith(absolute.toUtf8()),
                 readBytes(path("other/l3.NVD")).constData());
        QCOMPARE(child<PicturePane>(mainForm(), "ImgKumo")->picture().width(), 11);
        QCOMPARE(child<PicturePane>(mainForm(), "ImgNubivuzu")->picture().width(), 12);
        QVERIFY(theLesson().isSaved());
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
        QCOMPARE(isDataListFileName(name), taken);
        QCOMPARE(mimeGlobsMatch(QFileInfo(name).fileName()), taken);

        QDir(dir_.path()).mkpath(QFileInfo(dir_.filePath(name)).path());
        writeBytes(dir_.filePath(name), kTitleLine + "\"k1\"\r\n");
        fillList(list(), {"before"});
        theLesson().setTitles(rowOf("kept"));
        theLesson().setSaved(true);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(dir_.filePath(name))});
        const QPoint at = mainForm()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(mainForm(), &enter);
        QCOMPARE(enter.isAccepted(), taken);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(mainForm(), &drop);
        const bool titleLine = title == u"T1";
        const QStringList rows = !taken      ? QStringList{"before"}
                                 : titleLine ? QStringList{"k1"}
                                             : QStringList{"T1|T2|T3|T4|T5|T6|T7", "k1"};
        QCOMPARE(listRows(list()), rows);
        QCOMPARE(titles().first(), title);
    }

    void roundTripIsByteForByte() {
        theLesson().setTitles(SlotPaths{QStringLiteral("雲の写真"), QStringLiteral("天気図 ①"),
                                        QStringLiteral("雨,分布"), QStringLiteral("北の\"空\""),
                                        QString(), QStringLiteral("東"), QStringLiteral("西")});
        fillList(list(), {QStringLiteral("pics/雲 01.jpg|maps/m01.bmp|rain/r,01.bmp"), "",
                          QStringLiteral("|||n.jpg|s.jpg|e.jpg|w.jpg"), "a\"b"});
        fakePrompter().files = {path("round.NV2")};
        mainForm()->saveList();
        const QStringList rows = listRows(list());
        const QStringList savedTitles = titles();
        stopWindows();
        startWindows(1024);
        mainForm()->openDataListFile(path("round.NV2"));
        QCOMPARE(listRows(list()), rows);
        QCOMPARE(titles(), savedTitles);
        fakePrompter().files = {path("again.NV2")};
        mainForm()->saveList();
        QCOMPARE(readBytes(path("again.NV2")), readBytes(path("round.NV2")));
        // Every value fits CP932: the file is in the code page the program always wrote.
        QStringEncoder codePage("Shift-JIS");
        const QByteArray firstTitle = codePage.encode(QStringLiteral("\"雲の写真\""));
        QVERIFY(readBytes(path("round.NV2")).startsWith(firstTitle));
    }
};

NUBIVU_TEST(TestDataListCommands)
#include "tst_datalistcommands.moc"
