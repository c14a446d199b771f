#include "app/playback.h"
#include "datalist/folderlesson.h"
#include "showfixture.h"
#include "testfiles.h"
#include "testrunner.h"
#include "ui/folderlessondialog.h"
#include "ui/fullscreenview.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

// ファイル → フォルダから作成…: the preview, Cancel, the new lesson with its
// times on screen, and its save beside the folders.
class TestFolderLessonMenu : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString folder(const char* name) const { return dir_.filePath(QLatin1String(name)); }

    // Fills the dialog as a user would, then presses the button named.
    static std::function<int(QDialog&)> answer(const char* button, ImageSlot lead,
                                               std::vector<std::pair<const char*, QString>> folders,
                                               FolderLesson* seen = nullptr) {
        return [=](QDialog& d) {
            auto& dialog = dynamic_cast<FolderLessonDialog&>(d);
            child<QRadioButton>(&dialog, qPrintable(slotKey(lead) + QStringLiteral("Lead")))
                ->click();
            for (const auto& [name, path] : folders) {
                auto* edit = child<QLineEdit>(&dialog, name);
                edit->setText(path);
                Q_EMIT edit->editingFinished();
            }
            if (seen) *seen = dialog.preview();
            child<QPushButton>(&dialog, button)->click();
            return dialog.result();
        };
    }

private Q_SLOTS:
    void initTestCase() {
        QDir(dir_.path()).mkpath(QStringLiteral("cloud"));
        QDir(dir_.path()).mkpath(QStringLiteral("map"));
        int width = 10;
        for (const char* t : {"0900", "1000", "1100"})
            writeTestPicture(folder("cloud") +
                                 QStringLiteral("/20240510_%1.tpx").arg(QLatin1String(t)),
                             width++);
        writeFile(folder("cloud") + QStringLiteral("/notes.txt"), "x");
        writeTestPicture(folder("map") + QStringLiteral("/map_2024-05-10_09-00.tpx"), 40);
    }
    void init() {
        stopWindows();
        startWindows(1024);
    }
    void cleanup() { stopWindows(); }

    void previewThenNewUnsavedLessonWithTimes() {
        FakePrompter& prompter = fakePrompter();
        FolderLesson seen;
        prompter.modal =
            answer("makeButton", ImageSlot::Cloud,
                   {{"cloudFolder", folder("cloud")}, {"mapFolder", folder("map")}}, &seen);
        mainForm()->findChild<QAction*>(QStringLiteral("mnFolderLesson"))->trigger();
        QCOMPARE(prompter.modals, 1);
        QCOMPARE(seen.rows.size(), size_t(3));
        QCOMPARE(seen.skipped.size(), size_t(1));

        QCOMPARE(theLesson().rows().count(), 3);
        QCOMPARE(theLesson().rows().cell(0, 1),
                 folder("map") + QStringLiteral("/map_2024-05-10_09-00.tpx"));
        QVERIFY(theLesson().rows().cell(2, 1).isEmpty()); // two hours on: stale
        QVERIFY(!theLesson().isSaved());
        QVERIFY(mainForm()->windowTitle().endsWith(QStringLiteral("[ 新しいファイルです ]")));
        auto* time = child<QLabel>(mainForm(), "lblRowTime");
        QCOMPARE(time->text(), QStringLiteral("5月10日 09:00"));
        // The counter stays as designed beside it.
        QCOMPARE(child<QLabel>(mainForm(), "Label4")->text(), QStringLiteral("1"));
        QVERIFY(time->geometry().right() < child<QLabel>(mainForm(), "Label4")->x());
        mainForm()->stepForward();
        QCOMPARE(time->text(), QStringLiteral("5月10日 10:00"));
        QCOMPARE(child<QLabel>(mainForm(), "Label4")->text(), QStringLiteral("2"));

        mainForm()->playback().enterFullScreen();
        auto* fullScreen = mainForm()->findChild<FullScreenView*>();
        QCOMPARE(fullScreen->timeText(), QStringLiteral("5月10日 10:00"));
        QCOMPARE(fullScreen->counterText(), QStringLiteral("2枚目(3枚中)"));
        mainForm()->playback().leaveFullScreen();

        // Saved beside the folders, the paths stay relative and the times stay.
        prompter.files = {dir_.filePath(QStringLiteral("day.NV2"))};
        mainForm()->saveList();
        const QByteArray saved = readFileBytes(dir_.filePath(QStringLiteral("day.NV2")));
        QVERIFY2(saved.contains("\"cloud/20240510_0900.tpx\",\"map/map_2024-05-10_09-00.tpx\""),
                 saved.constData());
        QVERIFY(!saved.contains(dir_.path().toUtf8()));
        // Save activates the window as designed: row 1, still dated.
        QCOMPARE(time->text(), QStringLiteral("5月10日 09:00"));
        // An opened list dates nothing, as before.
        mainForm()->openDataListFile(dir_.filePath(QStringLiteral("day.NV2")));
        QVERIFY(time->text().isEmpty());
    }

    void cancelChangesNothing() {
        FakePrompter& prompter = fakePrompter();
        theLesson().rows().appendRows(std::vector<SlotPaths>(2));
        theLesson().setSaved(true);
        prompter.modal =
            answer("cancelButton", ImageSlot::Cloud, {{"cloudFolder", folder("cloud")}});
        mainForm()->makeLessonFromFolders();
        QCOMPARE(theLesson().rows().count(), 2);
        QVERIFY(theLesson().isSaved());
        QVERIFY(prompter.asked.empty());
    }

    void unsavedListIsAskedAboutFirst() {
        FakePrompter& prompter = fakePrompter();
        theLesson().rows().appendRows(std::vector<SlotPaths>(2));
        theLesson().setSaved(false);
        prompter.modal = answer("makeButton", ImageSlot::Cloud, {{"cloudFolder", folder("cloud")}});
        prompter.answers = {2}; // キャンセル
        mainForm()->makeLessonFromFolders();
        QCOMPARE(prompter.asked.size(), size_t(1));
        QCOMPARE(theLesson().rows().count(), 2);
        prompter.answers = {1}; // いいえ
        mainForm()->makeLessonFromFolders();
        QCOMPARE(theLesson().rows().count(), 3);
    }

    void dialogRefusesWithoutDatedLeadPictures() {
        FakePrompter& prompter = fakePrompter();
        QString firstSummary, summary;
        int enterPreviewed = 0;
        bool enterAccepted = true;
        bool makeEnabled = true;
        prompter.modal = [&](QDialog& d) {
            firstSummary = child<QLabel>(&d, "previewSummary")->text();
            // Enter in a field previews and moves on; it does not make the rows.
            auto* cloud = child<QLineEdit>(&d, "cloudFolder");
            cloud->setText(folder("cloud"));
            QTest::keyClick(cloud, Qt::Key_Return);
            enterPreviewed = d.findChild<QTableWidget*>(QStringLiteral("previewRows"))->rowCount();
            enterAccepted = d.result() == QDialog::Accepted;
            for (const auto& [name, path] : {std::pair{"cloudFolder", folder("cloud")},
                                             std::pair{"mapFolder", folder("nowhere")}}) {
                auto* edit = child<QLineEdit>(&d, name);
                edit->setText(path);
                Q_EMIT edit->editingFinished();
            }
            summary = child<QLabel>(&d, "previewSummary")->text();
            makeEnabled = child<QPushButton>(&d, "makeButton")->isEnabled();
            return int(QDialog::Rejected);
        };
        mainForm()->makeLessonFromFolders();
        QCOMPARE(firstSummary, QStringLiteral("基準のフォルダを選んでください。"));
        QCOMPARE(enterPreviewed, 3);
        QVERIFY(!enterAccepted);
        QCOMPARE(summary, QStringLiteral("フォルダがありません: ") + folder("nowhere"));
        QVERIFY(!makeEnabled);
    }

    void editorMenuMakesTheLessonToo() {
        FakePrompter& prompter = fakePrompter();
        prompter.modal = answer("makeButton", ImageSlot::WeatherMap,
                                {{"cloudFolder", folder("cloud")}, {"mapFolder", folder("map")}});
        editForm()->findChild<QAction*>(QStringLiteral("mnFolderLesson"))->trigger();
        QCOMPARE(prompter.modals, 1);
        // One map: one row, the photo of its moment.
        QCOMPARE(theLesson().rows().count(), 1);
        QVERIFY(theLesson().rows().cell(0, 0).endsWith(u"20240510_0900.tpx"));
    }
};

NUBIVU_TEST(TestFolderLessonMenu)
#include "tst_folderlessonmenu.moc"
