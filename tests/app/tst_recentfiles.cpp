// SPDX-License-Identifier: MIT
#include "app/mainwindow.h"
#include "core/errors.h"
#include "editor/listeditorwindow.h"
#include "fakeprompter.h"
#include "listfixture.h"
#include "showfixture.h"
#include "testrunner.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

namespace {

QString writeList(const QTemporaryDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("\"T1\",\"T2\",\"T3\",\"T4\",\"T5\",\"T6\",\"T7\"\r\n\"k\"\r\n");
    return path;
}

QMenu* recentMenu() { return mainForm()->findChild<QMenu*>(QStringLiteral("mnRecentFiles")); }

// The files the submenu offers, newest first.
QStringList offered() {
    QStringList files;
    for (const QAction* item : recentMenu()->actions()) files << item->data().toString();
    return files;
}

QAction* offeredItem(const QString& path) {
    for (QAction* item : recentMenu()->actions())
        if (item->data().toString() == path) return item;
    return nullptr;
}

} // namespace

class TestRecentFiles : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    void restart() {
        stopWindows();
        startWindows(1024);
    }

private Q_SLOTS:
    void init() {
        QSettings(QStringLiteral("Nubivu"), QStringLiteral("Nubivu"))
            .remove(QStringLiteral("RecentFiles"));
        restart();
    }
    void cleanup() { stopWindows(); }

    void designedFileItemsKeepTheirPlaces() {
        QStringList texts;
        for (const QAction* item : child<QMenu>(mainForm(), "K1")->actions())
            texts << (item->isSeparator() ? QStringLiteral("-") : item->text());
        QCOMPARE(texts,
                 (QStringList{"新規作成(&N)", "開く   (&O)", "保存  (&S)", "フォルダから作成…",
                              "最近使ったファイル(&R)", "-", "終了  (&C)"}));
        QVERIFY(!recentMenu()->isEnabled()); // nothing opened yet
    }

    void fiveNewestOpenedOrSavedSurviveARestart() {
        QStringList paths;
        for (int i = 1; i <= 6; ++i) paths << writeList(dir_, QStringLiteral("l%1.NV2").arg(i));
        for (const QString& path : paths) mainForm()->openDataListFile(path);
        QCOMPARE(offered(), (QStringList{paths[5], paths[4], paths[3], paths[2], paths[1]}));

        // Saving puts its file first; a file already listed moves up, not in twice.
        FakePrompter& prompter = fakePrompter();
        prompter.files = {paths[2]};
        mainForm()->saveList();
        QCOMPARE(offered(), (QStringList{paths[2], paths[5], paths[4], paths[3], paths[1]}));
        const QString saved = dir_.filePath(QStringLiteral("new.NVD"));
        prompter.files = {saved};
        mainForm()->saveList();
        QCOMPARE(offered(), (QStringList{saved, paths[2], paths[5], paths[4], paths[3]}));
        QVERIFY(recentMenu()->isEnabled());
        QCOMPARE(recentMenu()->actions().first()->text().left(3), QStringLiteral("&1 "));

        restart();
        QCOMPARE(offered(), (QStringList{saved, paths[2], paths[5], paths[4], paths[3]}));
    }

    void failedOpenIsNotRemembered() {
        const QString missing = dir_.filePath(QStringLiteral("never.NV2"));
        QString named;
        try {
            mainForm()->openDataListFile(missing);
        } catch (const ENubivuError& e) {
            named = e.fileName();
        }
        QCOMPARE(named, missing); // the error report names the list
        QCOMPARE(offered(), QStringList());
    }

    void pickingOpensOrDropsAMissingFile() {
        const QString kept = writeList(dir_, QStringLiteral("kept.NV2"));
        const QString gone = writeList(dir_, QStringLiteral("gone.NV2"));
        mainForm()->openDataListFile(kept);
        mainForm()->openDataListFile(gone);
        FakePrompter& prompter = fakePrompter();
        theLesson().setSaved(false);
        prompter.answers = {1}; // do not save the list on show

        offeredItem(kept)->trigger();
        QTRY_COMPARE(theLesson().filePath(), kept);
        QCOMPARE(prompter.asked.size(), size_t(1)); // the save question, then Open
        QCOMPARE(listRows(theLesson().rows()), QStringList{"k"});
        QCOMPARE(offered(), (QStringList{kept, gone}));

        QVERIFY(QFile::remove(gone));
        offeredItem(gone)->trigger();
        QTRY_COMPARE(prompter.asked.size(), size_t(2));
        const MessageRequest& told = prompter.asked.back();
        QCOMPARE(told.detail, gone);
        QVERIFY(told.text.contains(QStringLiteral("見つかりません")));
        QCOMPARE(theLesson().filePath(), kept);
        QCOMPARE(offered(), QStringList{kept});
        restart();
        QCOMPARE(offered(), QStringList{kept});
    }
};

NUBIVU_TEST(TestRecentFiles)
#include "tst_recentfiles.moc"
