#include "app/applicationsetup.h"
#include "app/helpwindow.h"
#include "app/mainwindow.h"
#include "editor/listeditorwindow.h"
#include "fakeprompter.h"
#include "showfixture.h"
#include "slideshow/optionsdialog.h"
#include "testrunner.h"
#include "ui/elidedlabel.h"
#include "ui/errorreport.h"
#include "ui/picturepane.h"
#include "ui/scaling.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <QToolTip>
#include <QTranslator>
#include <QWindow>

using namespace nubivu;
using namespace nubivu::test;

class TestMainWindow : public QObject {
    Q_OBJECT

    void createAt(int screenWidth) {
        stopWindows();
        startWindows(screenWidth);
    }

private Q_SLOTS:
    void cleanup() { stopWindows(); }

    void scalingTable_data() {
        QTest::addColumn<int>("screen");
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<QRect>("pane");
        QTest::addColumn<QRect>("label");
        QTest::newRow("1024") << 1024 << QSize(1024, 501) << QRect(12, 38, 320, 240)
                              << QRect(25, 294, 115, 12);
        QTest::newRow("640") << 640 << QSize(640, 313) << QRect(8, 24, 200, 150)
                             << QRect(16, 184, 72, 12);
        QTest::newRow("1920") << 1920 << QSize(1919, 940) << QRect(24, 72, 600, 450)
                              << QRect(48, 552, 216, 12);
        QTest::newRow("600 shrinks inside 639 x 313")
            << 600 << QSize(639, 313) << QRect(7, 22, 187, 140) << QRect(15, 172, 67, 12);
    }
    void scalingTable() {
        QFETCH(int, screen);
        QFETCH(QSize, outer);
        QFETCH(QRect, pane);
        QFETCH(QRect, label);
        QCOMPARE(mainWindowOuterSize(screen, scaleFactorFor(screen)), outer);
        createAt(screen);
        QCOMPARE(ScreenMetrics::forWidth(screen).width, screen);
        QCOMPARE(ScreenMetrics::forWidth(screen).scaleFactor, double(screen) / 639);
        QCOMPARE(mainForm()->designedOuterSize(), outer);
        QCOMPARE(child<PicturePane>(mainForm(), "ImgKumo")->geometry(), pane);
        QCOMPARE(child<QLabel>(mainForm(), "lblKumotitle")->geometry(), label);
        // The bevel keeps its top and spans the client width; only its height scales.
        QCOMPARE(child<QFrame>(mainForm(), "Bevel1")->height(),
                 scaled(209, scaleFactorFor(screen)));
        QCOMPARE(child<QLineEdit>(mainForm(), "edtKumoTitle")->height(), 20);
    }

    void windowsAreCreatedOnceInOrder() {
        createAt(1024);
        const QWidgetList tops = QApplication::topLevelWidgets();
        const QStringList names = {"frmNubivuMain", "frmFileSelect",  "frmDataEdit",
                                   "frmKansokuti",  "frmNubivuAbort", "frmOptionDlg"};
        const QStringList captions = {"Nubivu Ver.3.10  [ 新しいファイルです ]",
                                      "データファイルの選択",
                                      "編集",
                                      "私たちの地域の様子",
                                      "バージョン情報",
                                      "オプション"};
        QWidget* forms[] = {(QWidget*)mainForm(), (QWidget*)chooserForm(), (QWidget*)editForm(),
                            (QWidget*)skyForm(),  (QWidget*)aboutForm(),   (QWidget*)optionsForm()};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(forms[i]->objectName(), names[i]);
            QCOMPARE(forms[i]->windowTitle(), captions[i]);
            QVERIFY(!forms[i]->isVisible());
        }
        QCOMPARE(MainWindow::BaseCaption, QStringLiteral("Nubivu Ver.3.10"));
        QVERIFY(theLesson().isSaved());
        QVERIFY(!show().keepsRowOnActivation());
        QVERIFY(!show().stopRequested());
    }

    void controlsCarryTheirTextsAndHints() {
        createAt(1024);
        auto* play = mainForm()->findChild<QPushButton*>("BitBtnSaisei");
        QVERIFY(play);
        QCOMPARE(play->text(), QStringLiteral("再生"));
        QCOMPARE(play->toolTip(), QStringLiteral("はじめから連続で再生します。"));
        QVERIFY(!play->icon().isNull());
        QVERIFY(mainForm()->findChild<QAction*>("mnFileSave"));
        QCOMPARE(child<QLabel>(mainForm(), "Label5")->text(), QStringLiteral("枚目("));
        QVERIFY(child<QLineEdit>(mainForm(), "edtKumoTitle")->isHidden());
        QCOMPARE(child<QAction>(mainForm(), "mnFileOpen")->shortcut(),
                 QKeySequence(QStringLiteral("Ctrl+O")));
    }

    void closeQuery_data() {
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<int>("prompts");
        QTest::newRow("saved: no prompt") << true << QList<int>{} << true << 0;
        QTest::newRow("No closes") << false << QList<int>{1} << true << 1;
        QTest::newRow("Cancel keeps running") << false << QList<int>{2} << false << 1;
        QTest::newRow("Yes, save cancelled") << false << QList<int>{0} << false << 1;
    }
    void closeQuery() {
        QFETCH(bool, saved);
        QFETCH(QList<int>, answers);
        QFETCH(bool, closes);
        QFETCH(int, prompts);
        createAt(1024);
        test::FakePrompter& prompter = test::fakePrompter();
        prompter.answers.assign(answers.begin(), answers.end());
        prompter.files = {QString()}; // the save dialog, if it comes, is cancelled
        mainForm()->show();
        theLesson().setSaved(saved);
        QCOMPARE(mainForm()->close(), closes);
        QCOMPARE(int(prompter.asked.size()), prompts);
        QCOMPARE(prompter.beeps, prompts);
        if (prompts) {
            const MessageRequest& r = prompter.asked.front();
            QCOMPARE(r.caption, QStringLiteral("警告"));
            QCOMPARE(r.buttons, (QStringList{"はい(&Y)", "いいえ(&N)", "キャンセル"}));
            QCOMPARE(r.text, QStringLiteral("データが保存されていません。\n保存しますか？"));
        }
    }

    // Without a window manager nothing activates the main window: its first
    // showing sets the start state all the same.
    void firstShowingSetsTheStartState() {
        createAt(1024);
        mainForm()->show();
        QVERIFY(!mainForm()->isActiveWindow());
        for (QPushButton* b : {child<QPushButton>(mainForm(), "BitBtnSaisei"),
                               child<QPushButton>(mainForm(), "BitBtnKomaOkuri"),
                               child<QPushButton>(mainForm(), "BitBtnTeisi"),
                               child<QPushButton>(mainForm(), "BitBtnKomaModosi"),
                               child<QPushButton>(mainForm(), "BitBtnModoru")})
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        QVERIFY(!child<QAction>(mainForm(), "Edit1")->isEnabled());
        QCOMPARE(child<QLabel>(mainForm(), "Label4")->text(), QStringLiteral("???"));

        // With rows, row 1 is on show.
        createAt(1024);
        theLesson().rows().appendRow();
        theLesson().rows().appendRow();
        mainForm()->show();
        QCOMPARE(shownRow(), 1);
        QCOMPARE(child<QLabel>(mainForm(), "Label6")->text(), QStringLiteral("2"));
        QVERIFY(child<QPushButton>(mainForm(), "BitBtnKomaOkuri")->isEnabled());
        QVERIFY(child<QAction>(mainForm(), "Edit1")->isEnabled());
    }

    // While the editor or the options dialog holds the main window disabled,
    // the main window's close box does not end the program; they stay above it.
    void closeBoxWaitsForTheEditorAndOptions_data() {
        QTest::addColumn<QString>("window");
        QTest::newRow("editor") << "frmDataEdit";
        QTest::newRow("options") << "frmOptionDlg";
    }
    // (The refusal of the window system's close request is seen on a real
    // X server: tests/desktop, TestOnScreen.)
    void closeBoxWaitsForTheEditorAndOptions() {
        QFETCH(QString, window);
        createAt(1024);
        mainForm()->show();
        QWidget* other = window == QLatin1String("frmDataEdit") ? static_cast<QWidget*>(editForm())
                                                                : optionsForm();
        other->show();
        QVERIFY(!mainForm()->isEnabled());
        QCOMPARE(other->windowHandle()->transientParent(), mainForm()->windowHandle());
        QVERIFY(other->windowHandle()->isTopLevel());

        // The close box's request comes from the window system: ignored, with a beep.
        QCloseEvent closeBox;
        QVERIFY(QApplication::sendEvent(mainForm(), &closeBox)); // delivered, not spontaneous
        QVERIFY(closeBox.isAccepted()); // the program's own close (termination) still goes

        other->close();
        QVERIFY(mainForm()->isEnabled());
    }

    // The counter shows "???" and numbers up to 99999 whole, its four labels
    // apart and inside the window, at every screen width.
    void counterFitsItsTexts_data() {
        QTest::addColumn<int>("screen");
        for (int w : {600, 640, 800, 1024, 1280, 1366, 1920})
            QTest::newRow(qPrintable(QString::number(w))) << w;
    }
    void counterFitsItsTexts() {
        QFETCH(int, screen);
        createAt(screen);
        QLabel* labels[] = {
            child<QLabel>(mainForm(), "Label4"), child<QLabel>(mainForm(), "Label5"),
            child<QLabel>(mainForm(), "Label6"), child<QLabel>(mainForm(), "Label7")};
        for (const QString& text : {QStringLiteral("???"), QStringLiteral("99999")}) {
            for (QLabel* l : {labels[0], labels[2]}) l->setText(text);
            for (QLabel* l : labels) {
                QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->contentsRect().width(),
                         qPrintable(l->objectName() + QStringLiteral(": ") + l->text()));
                QVERIFY(l->x() >= 0);
                QVERIFY(l->geometry().right() < child<QFrame>(mainForm(), "Bevel1")->width());
            }
            for (int i = 0; i < 3; ++i) QVERIFY(labels[i]->geometry().right() < labels[i + 1]->x());
        }
        // Where the designed places are wide enough, nothing moves.
        if (screen == 1920)
            QCOMPARE(child<QLabel>(mainForm(), "Label7")->x(), scaled(584, scaleFactorFor(screen)));
    }

    // Titles and file names too long for their labels are cut with "…"; the
    // whole text stays the label's and shows as its tooltip.
    void longTitlesAndNamesAreElided() {
        createAt(640);
        mainForm()->show();
        for (QLabel* label :
             {child<QLabel>(mainForm(), "lblKumotitle"), child<QLabel>(mainForm(), "lblKUMO")}) {
            auto* l = qobject_cast<ElidedLabel*>(label);
            QVERIFY2(l, qPrintable(label->objectName()));
            const QString whole = QStringLiteral("2024年5月12日15時の可視画像_ひまわり9号.jpg");
            l->setText(whole);
            QVERIFY(l->isElided());
            QVERIFY(l->shownText().endsWith(QChar(0x2026)));
            QVERIFY(l->fontMetrics().horizontalAdvance(l->shownText()) <=
                    l->contentsRect().width());
            QCOMPARE(l->text(), whole);
            QHelpEvent tip(QEvent::ToolTip, QPoint(2, 2), l->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(l, &tip);
            QCOMPARE(QToolTip::text(), whole);
            QToolTip::hideText();

            l->setText(QStringLiteral("a.jpg"));
            QVERIFY(!l->isElided());
            QCOMPARE(l->shownText(), QStringLiteral("a.jpg"));
        }
    }

    // Enter on a focused button presses it.
    void enterPressesTheFocusedButton() {
        createAt(1024);
        for (int i = 0; i < 3; ++i) theLesson().rows().appendRow();
        mainForm()->show();
        QVERIFY(test::ShowFixture::activate(mainForm()));
        child<QPushButton>(mainForm(), "BitBtnKomaOkuri")->setFocus();
        QTest::keyClick(child<QPushButton>(mainForm(), "BitBtnKomaOkuri"), Qt::Key_Return);
        QCOMPARE(shownRow(), 2);
        child<QPushButton>(mainForm(), "BitBtnKomaOkuri")->setFocus();
        QTest::keyClick(child<QPushButton>(mainForm(), "BitBtnKomaOkuri"), Qt::Key_Enter,
                        Qt::KeypadModifier);
        QCOMPARE(shownRow(), 3);
        child<QPushButton>(mainForm(), "BitBtnModoru")->setFocus();
        QTest::keyClick(child<QPushButton>(mainForm(), "BitBtnModoru"), Qt::Key_Return);
        QCOMPARE(shownRow(), 1);
    }

    // Captions stay as designed: no application display name for Qt to
    // append to them on X11.
    void applicationHasNoDisplayName() {
        const QString name = QApplication::applicationName();
        setApplicationIdentity();
        QCOMPARE(QApplication::applicationName(), QStringLiteral("Nubivu"));
        QApplication::setApplicationName(QStringLiteral("probe"));
        QCOMPARE(QApplication::applicationDisplayName(), QStringLiteral("probe"));
        QApplication::setApplicationName(name);
    }

    // Qt's own texts in Japanese where the translations are installed; none
    // installed is no error.
    void qtTextsSpeakJapanese() {
        QVERIFY(!loadQtTranslations(*qApp, programLocale(), QStringLiteral("/nonexistent")));
        if (!loadQtTranslations(*qApp, programLocale()))
            QSKIP("Qt's Japanese translations are not installed");
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        auto* box = dialog.findChild<QDialogButtonBox*>();
        QVERIFY(box);
        QCOMPARE(box->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
        for (QTranslator* t : qApp->findChildren<QTranslator*>()) delete t;
        QCOMPARE(QApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    }

    void saveIsGreyedAndInertOnAnEmptyList() {
        createAt(1024);
        test::FakePrompter& prompter = test::fakePrompter();
        mainForm()->show();
        QApplication::setActiveWindow(mainForm());
        QVERIFY(QTest::qWaitForWindowActive(mainForm()));
        Q_EMIT child<QMenu>(mainForm(), "K1")->aboutToShow();
        QVERIFY(!child<QAction>(mainForm(), "mnFileSave")->isEnabled());
        QTest::keyClick(mainForm(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(prompter.fileDialogs.empty());
        QVERIFY(!child<QAction>(mainForm(), "Edit1")->isEnabled());

        // With a data row, Ctrl+S reaches Save without the menu being opened first.
        theLesson().rows().appendRow();
        QTest::keyClick(mainForm(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(int(prompter.fileDialogs.size()), 1);
        QCOMPARE(prompter.fileDialogs.front(), QStringLiteral("データリストファイルの保存"));
    }

    void savePresetsTheNamePart() {
        createAt(1024);
        test::FakePrompter& prompter = test::fakePrompter();
        prompter.files = {QString()};
        theLesson().setFilePath(QStringLiteral("/data/may.NV2"));
        mainForm()->saveList();
        auto* name = mainForm()->saveDialog().findChild<QLineEdit*>("fileNameEdit");
        QVERIFY(name);
        QCOMPARE(name->text(), QStringLiteral("may"));
        QCOMPARE(theLesson().filePath(), QStringLiteral("/data/may.NV2"));
    }

    void aboutBoxIsModal() {
        createAt(1024);
        test::FakePrompter& prompter = test::fakePrompter();
        child<QAction>(mainForm(), "About1")->trigger();
        QCOMPARE(prompter.modals, 1);
    }

    void helpAnswersItsThreeCommands() {
        HelpWindow help(QStringLiteral(NUBIVU_SOURCE_DIR "/help/"));
        help.showContents();
        QVERIFY(help.browser()->source().toString().endsWith("contents.html"));
        // The keyword list works whichever command opened the window.
        QVERIFY(help.indexList()->count() > 3);
        const QRect screen = help.screen()->availableGeometry();
        QVERIFY2(screen.contains(help.frameGeometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                       .arg(help.x())
                                                                       .arg(help.y())
                                                                       .arg(help.width())
                                                                       .arg(help.height())));
        help.showIndex(QString());
        QVERIFY(help.indexList()->count() > 3);
        help.showHelpOnHelp();
        QVERIFY(help.browser()->source().toString().endsWith("howto.html"));
        help.hide();
        HelpWindow missing(QStringLiteral("/nonexistent/help/"));
        missing.showContents();
        QVERIFY(missing.browser()->toPlainText().contains("ヘルプが見つかりません"));
        missing.hide();
    }

    void errorReportNamesTheFileBelowTheMessage() {
        test::FakePrompter prompter;
        const QString file = QStringLiteral("/lessons/may/kumo01.bmp");
        showErrorReport(prompter, QStringLiteral("ビットマップイメージが不正です"), file);
        QCOMPARE(prompter.asked.back().text, QStringLiteral("ビットマップイメージが不正です"));
        QCOMPARE(prompter.asked.back().detail, file);
        QCOMPARE(prompter.asked.back().caption, QApplication::applicationName());
        // A message that names the file already is not given it twice.
        showErrorReport(prompter, QStringLiteral("ファイル %1 は開けません").arg(file), file);
        QCOMPARE(prompter.asked.back().detail, QString());
    }
};

NUBIVU_TEST(TestMainWindow)
#include "tst_mainwindow.moc"
