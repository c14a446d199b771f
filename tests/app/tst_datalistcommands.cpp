#include "app/forms.h"
#include "app/tfrmnubivumain.h"
#include "datalist/datalistfile.h"
#include "datalist/panetitles.h"
#include "datalist/sharedstate.h"
#include "editor/tfrmdataedit.h"
#include "fakeprompter.h"
#include "listfixture.h"
#include "sitephotos/tfrmkansokuti.h"
#include "slideshow/filloptions.h"
#include "testrunner.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

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
    const SlotPaths t = PaneTitles();
    return QStringList(t.begin(), t.end());
}

DataList& list() { return frmDataEdit->List(); }

const QString kNew = QStringLiteral("Nubivu Ver.3.10  [ 新しいファイルです ]");
const QByteArray kTitleLine = "\"T1\",\"T2\",\"T3\",\"T4\",\"T5\",\"T6\",\"T7\"\r\n";

} // namespace

class TestDataListCommands : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }

private Q_SLOTS:
    void init() {
        DestroyForms();
        ResetSharedState();
        CreateForms(1024);
    }
    void cleanup() { DestroyForms(); }

    void openVersion2SetsListTitlesAndCaption() {
        writeBytes(path("a.NV2"), kTitleLine + "\"k1\",\"n1\"\r\n\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n");
        FakePrompter prompter;
        prompter.files = {path("a.NV2")};
        DataSaved = true;
        frmNubivuMain->mnFileOpenClick();
        QCOMPARE(prompter.fileDialogs.size(), size_t(1));
        QCOMPARE(prompter.fileDialogs[0], QStringLiteral("データリストファイルの読み込み"));
        QCOMPARE(ListRows(list()), (QStringList{"k1|n1", ""}));
        QCOMPARE(titles(), (QStringList{"T1", "T2", "T3", "T4", "T5", "T6", "T7"}));
        QCOMPARE(frmKansokuti->lblWest->text(), QStringLiteral("T7"));
        QCOMPARE(frmNubivuMain->windowTitle(),
                 QStringLiteral("Nubivu Ver.3.10  [ ") + path("a.NV2") + QStringLiteral(" ]"));
        QCOMPARE(DataFileName, path("a.NV2"));
        QCOMPARE(CurrentRow, 1);
        QVERIFY(DataSaved);
    }

    void cancelledOpenChangesNothing() {
        FillList(list(), {"a", "b"});
        DataSaved = true;
        FakePrompter prompter;
        prompter.files = {QString()};
        frmNubivuMain->mnFileOpenClick();
        QCOMPARE(ListRows(list()), (QStringList{"a", "b"}));
        QCOMPARE(frmNubivuMain->windowTitle(), kNew);
        QVERIFY(DataFileName.isEmpty());
    }

    void failedOpenHasEmptiedTheList() {
        FillList(list(), {"a"});
        SetPaneTitles(RowOf("x|y"));
        DataSaved = true;
        frmNubivuMain->setWindowTitle(QStringLiteral("before"));
        QVERIFY_THROWS_EXCEPTION(EInOutError, frmNubivuMain->OpenDataListFile(path("gone.NVD")));
        QCOMPARE(list().RowCount(), 2);
        QCOMPARE(frmNubivuMain->windowTitle(), kNew);
        QCOMPARE(DataFileName, path("gone.NVD"));
        QCOMPARE(titles().first(), QStringLiteral("x"));
        QVERIFY(!DataSaved); // emptying a list cleared it; the failed read did not set it
    }

    void version1ResetsTheTitles() {
        writeBytes(path("b.NVD"), "\"a\"\r\n");
        SetPaneTitles(RowOf("x|y|z"));
        frmNubivuMain->OpenDataListFile(path("b.NVD"));
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
        DataSaved = false;
        FakePrompter prompter;
        prompter.answers = {answer};
        prompter.files = {answer == 0 ? QString() : path("c.NVD")};
        if (open)
            frmNubivuMain->mnFileOpenClick();
        else
            frmNubivuMain->mnNewFileClick();
        QCOMPARE(int(prompter.asked.size()), 1);
        QCOMPARE(prompter.asked[0].text, QStringLiteral("データが保存されていません。\n保存しますか？"));
        const QStringList expected = !proceeds ? QStringList{"unsaved"}
                                     : open    ? QStringList{"new"}
                                               : QStringList{};
        QCOMPARE(ListRows(list()), expected);
        QCOMPARE(frmDataEdit->isVisible(), proceeds && !open);
        frmDataEdit->hide();
    }

    void newKeepsFileNameAndTitles() {
        DataFileName = QStringLiteral("/d/may.NV2");
        SetPaneTitles(RowOf("x"));
        FillList(list(), {"a"});
        DataSaved = true;
        FakePrompter prompter;
        frmNubivuMain->mnNewFileClick();
        QVERIFY(prompter.asked.empty());
        QCOMPARE(list().RowCount(), 2);
        QCOMPARE(DataFileName, QStringLiteral("/d/may.NV2"));
        QCOMPARE(titles().first(), QStringLiteral("x"));
        QCOMPARE(frmNubivuMain->windowTitle(), kNew);
        QVERIFY(!DataSaved);
        QVERIFY(frmDataEdit->isVisible());
        frmDataEdit->close();
    }

    void saveDialogPresetsTheName() {
        DataFileName = QStringLiteral("C:\\data\\may.NV2");
        FakePrompter prompter;
        prompter.files = {QString()};
        frmNubivuMain->mnFileSaveClick();
        QCOMPARE(prompter.fileDialogs.size(), size_t(1));
        QCOMPARE(prompter.fileDialogs[0], QStringLiteral("データリストファイルの保存"));
        QVERIFY(frmNubivuMain->SaveDialog1.selectedFiles().value(0).endsWith(QStringLiteral("/may.NV2")));
    }

    void fillInIsWrittenButNeverIntoRowOne() {
        FillList(list(), {"|w1", "k2", "", "|w4"});
        CurrentFillOptions().fillEmpty = true;
        CurrentFillOptions().writeBack = false;
        LastPaths[0] = QStringLiteral("old-kumo"); // from a row shown earlier
        SetPaneTitles(RowOf("T"));
        FakePrompter prompter;
        for (const char* name : {"f.NV2", "f.NVD"}) prompter.files.push_back(path(name));
        frmNubivuMain->mnFileSaveClick();
        frmNubivuMain->mnFileSaveClick();
        CurrentFillOptions() = {};
        const QByteArray rows = "\"\",\"w1\",\"\",\"\",\"\",\"\",\"\"\r\n"
                                "\"k2\",\"w1\",\"\",\"\",\"\",\"\",\"\"\r\n"
                                "\"k2\",\"w1\",\"\",\"\",\"\",\"\",\"\"\r\n"
                                "\"k2\",\"w4\",\"\",\"\",\"\",\"\",\"\"\r\n";
        QCOMPARE(readBytes(path("f.NVD")), rows);
        QCOMPARE(readBytes(path("f.NV2")), "\"T\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n" + rows);
        // Without write-back the list keeps its empty cells.
        QCOMPARE(ListRows(list()), (QStringList{"|w1", "k2", "", "|w4"}));
        QVERIFY(DataSaved);
    }

    void lowerCaseNv2IsSavedAsVersion1() {
        FillList(list(), {"a"});
        SetPaneTitles(RowOf("T"));
        FakePrompter prompter;
        prompter.files = {path("low.nv2")};
        frmNubivuMain->mnFileSaveClick();
        QCOMPARE(readBytes(path("low.nv2")), QByteArray("\"a\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"));
        SetPaneTitles(RowOf("kept"));
        frmNubivuMain->OpenDataListFile(path("low.nv2"));
        QCOMPARE(ListRows(list()), QStringList{"a"});
        QCOMPARE(titles().first(), QStringLiteral("kept"));
    }

    // Mend: a line break in a value stops Save before any file is touched.
    void lineBreakStopsSaveBeforeTheFile() {
        writeBytes(path("keep.NVD"), "old");
        FillList(list(), {"a", "|b\nc"});
        DataSaved = false;
        FakePrompter prompter;
        prompter.files = {path("keep.NVD")};
        QVERIFY_THROWS_EXCEPTION(EDataListValue, frmNubivuMain->mnFileSaveClick());
        QCOMPARE(readBytes(path("keep.NVD")), QByteArray("old"));
        QVERIFY(!DataSaved);
    }

    void failedSaveOnClosingKeepsTheWindowOpen() {
        FillList(list(), {"a"});
        DataSaved = false;
        FakePrompter prompter;
        prompter.answers = {0};
        prompter.files = {path("no/such/folder/x.NVD")};
        // The error report is a modal box; here it only has to be shown, not answered.
        QVERIFY(!frmNubivuMain->SaveChangesQuery());
        QVERIFY(!DataSaved);
    }

    void roundTripIsByteForByte() {
        SetPaneTitles(SlotPaths{QStringLiteral("雲の写真"), QStringLiteral("天気図 ①"),
                                QStringLiteral("雨,分布"), QStringLiteral("北の\"空\""),
                                QString(), QStringLiteral("東"), QStringLiteral("西")});
        FillList(list(), {QStringLiteral("pics/雲 01.jpg|maps/m01.bmp|rain/r,01.bmp"), "",
                          QStringLiteral("|||n.jpg|s.jpg|e.jpg|w.jpg"), "a\"b"});
        FakePrompter prompter;
        prompter.files = {path("round.NV2"), path("again.NV2")};
        frmNubivuMain->mnFileSaveClick();
        const QStringList rows = ListRows(list());
        const QStringList savedTitles = titles();
        DestroyForms();
        ResetSharedState();
        CreateForms(1024);
        frmNubivuMain->OpenDataListFile(path("round.NV2"));
        QCOMPARE(ListRows(list()), rows);
        QCOMPARE(titles(), savedTitles);
        frmNubivuMain->mnFileSaveClick();
        QCOMPARE(readBytes(path("again.NV2")), readBytes(path("round.NV2")));
        // Every value fits CP932: the file is in the code page the program always wrote.
        QStringEncoder codePage("Shift-JIS");
        const QByteArray firstTitle = codePage.encode(QStringLiteral("\"雲の写真\""));
        QVERIFY(readBytes(path("round.NV2")).startsWith(firstTitle));
    }
};

NUBIVU_TEST(TestDataListCommands)
#include "tst_datalistcommands.moc"
