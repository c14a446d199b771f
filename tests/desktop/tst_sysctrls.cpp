#include "app/mainwindow.h"
#include "app/singleinstance.h"
#include "app/systemsound.h"
#include "app/windowstatesounds.h"
#include "fakeprompter.h"
#include "nubivucopy.h"
#include "recordingsound.h"
#include "showfixture.h"
#include "testrunner.h"

#include <QApplication>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLocalSocket>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <memory>

using namespace nubivu;
using namespace nubivu::test;

namespace {

enum class Owner { PlainObject, ChildWidget, OtherWindow, MainWindow };

// A version-2 list with its title line and one row.
QString writeLesson(const QTemporaryDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly)) return {};
    out.write(QStringLiteral("\"雲\",\"天気図\",\"雨\",\"北\",\"南\",\"東\",\"西\"\r\n"
                             "\"a.bmp\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n")
                  .toUtf8());
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

class TestSysCtrls : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { stopWindows(); }

    void guardDefaultsAndCount() {
        ThisCopy copy;
        QCOMPARE(copy.liveGuards(), 0);
        // Without a name there is nothing to hold: the check lets the copy run.
        auto guard = std::make_unique<SingleInstance>(copy, SingleInstance::Options(), nullptr);
        QVERIFY(!guard->isDuplicate());
        QCOMPARE(guard->options().duplicateAction, ActivateFirst);
        QCOMPARE(guard->options().errorMessage, QStringLiteral("すでに起動されています"));
        QVERIFY(guard->options().uniqueName.isEmpty());
        QVERIFY(!guard->options().onDuplicate);
        QCOMPARE(copy.liveGuards(), 1);
        try {
            SingleInstance second(copy, SingleInstance::Options(), nullptr);
            QFAIL("a second guard was allowed");
        } catch (const EMultiSingleInstance& e) {
            QCOMPARE(e.message(), QStringLiteral("Only single component allowed"));
        }
        QCOMPARE(copy.liveGuards(), 1);
        guard.reset();
        QCOMPARE(copy.liveGuards(), 0);
        QVERIFY(!copy.endRequested());
    }

    void animateFormPlacement_data() {
        QTest::addColumn<Owner>("owner");
        QTest::addColumn<QString>("error");
        QTest::newRow("not a widget")
            << Owner::PlainObject << QStringLiteral("Owner must be a form");
        QTest::newRow("a control, not a window")
            << Owner::ChildWidget << QStringLiteral("Owner must be a form");
        QTest::newRow("a window after the main window")
            << Owner::OtherWindow << QStringLiteral("AnimateForm muse be placed in a main form");
        QTest::newRow("the main window") << Owner::MainWindow << QString();
    }
    void animateFormPlacement() {
        QFETCH(Owner, owner);
        QFETCH(QString, error);
        startWindows(640);
        QObject plain;
        QWidget window;
        auto* child = new QWidget(&window);
        QObject* const owners[] = {&plain, child, &window, mainForm()};
        RecordingSound sound;
        QString raised;
        try {
            delete new WindowStateSounds(owners[int(owner)], sound);
        } catch (const EAnimateFormError& e) {
            raised = e.message();
        }
        QCOMPARE(raised, error);
    }

    void minimiseAndRestoreSounds() {
        RecordingSound sound;
        QWidget window;
        auto* animate = new WindowStateSounds(&window, sound);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(sound.played.isEmpty());

        window.setWindowState(Qt::WindowMinimized);
        QCOMPARE(sound.played, QStringList{"window-minimized"});
        window.setWindowState(Qt::WindowNoState);
        QCOMPARE(sound.played, (QStringList{"window-minimized", "window-unminimized"}));
        // Neither maximising nor hiding is a minimise.
        window.setWindowState(Qt::WindowMaximized);
        window.hide();
        window.show();
        QCOMPARE(sound.played.size(), 2);
        window.setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
        window.setWindowState(Qt::WindowMaximized);
        QCOMPARE(sound.played.mid(2), (QStringList{"window-minimized", "window-unminimized"}));

        // Gone with its component: no more sounds.
        delete animate;
        window.setWindowState(Qt::WindowMinimized);
        QCOMPARE(sound.played.size(), 4);

        // The main window's own component plays through the sounds the application handed it.
        startWindows(640);
        mainForm()->show();
        QVERIFY(QTest::qWaitForWindowExposed(mainForm()));
        mainForm()->setWindowState(Qt::WindowMinimized);
        mainForm()->setWindowState(Qt::WindowNoState);
        QCOMPARE(application()->sound.played,
                 (QStringList{"window-minimized", "window-unminimized"}));
        QCOMPARE(sound.played.size(), 4);
    }

    // A real first copy; this process plays the second copy in each mode.
    void duplicateActions() {
        RuntimeDir runtime;
        NubivuCopy first(runtime.path());
        first.start();
        QVERIFY2(first.waitFor(QStringLiteral("first copy")), qPrintable(first.log()));

        ThisCopy copy;
        auto check = [&copy](DuplicateAction action, const QString& message) {
            SingleInstance::Options options;
            options.uniqueName = QStringLiteral("Ident6490");
            options.duplicateAction = action;
            options.errorMessage = message;
            QObject* sender = nullptr;
            bool senderIsGuard = false;
            options.onDuplicate = [&](QObject* s) {
                sender = s;
                senderIsGuard = qobject_cast<SingleInstance*>(s) != nullptr;
            };
            QString raised;
            try {
                SingleInstance guard(copy, std::move(options), nullptr);
                if (!guard.isDuplicate() || sender != &guard)
                    return QStringLiteral("not a duplicate");
            } catch (const EMultiAppInstance& e) {
                // Raised by the guard's check, once it had told of the duplicate.
                if (!senderIsGuard) return QStringLiteral("not a duplicate");
                raised = e.message();
            }
            return raised;
        };

        QCOMPARE(check(TerminateCopy, QStringLiteral("unused")), QString());
        QVERIFY(copy.endRequested());
        copy.finish(); // a terminated copy has nothing to say
        QCOMPARE(check(RaiseError, QStringLiteral("もう動いています")),
                 QStringLiteral("もう動いています"));
        QCOMPARE(check(ActivateFirst, QString()), QString());
        copy.finish();
        QVERIFY2(first.waitFor(QStringLiteral("brought forward: \"frmNubivuMain\"")),
                 qPrintable(first.log()));
        QCOMPARE(first.log().count(QStringLiteral("brought forward")), 1);
        QVERIFY(first.running());
    }

    // This process is the first copy; a real second copy asks it to come
    // forward and hands it a data list file.
    void firstCopyBringsLastActiveWindowForward_data() {
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("expected");
        QTest::newRow("main window") << "main"
                                     << "main";
        QTest::newRow("a dialog of it") << "dialog"
                                        << "dialog";
        QTest::newRow("minimised stays minimised") << "minimised"
                                                   << "";
    }
    void firstCopyBringsLastActiveWindowForward() {
        QFETCH(QString, last);
        QFETCH(QString, expected);
        RuntimeDir runtime;
        startWindows(640);
        QVERIFY(!child<SingleInstance>(mainForm(), "SingleInstance1")->isDuplicate());
        mainForm()->show();
        QVERIFY(QTest::qWaitForWindowExposed(mainForm()));
        QDialog dialog(mainForm());
        dialog.setObjectName(QStringLiteral("dialog"));
        QApplication::setActiveWindow(mainForm());
        if (last == QLatin1String("dialog")) {
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QApplication::setActiveWindow(&dialog);
        }
        if (last == QLatin1String("minimised")) mainForm()->showMinimized();
        QTRY_VERIFY(QApplication::activeWindow() != nullptr || last == QLatin1String("minimised"));
        // The user turns to another program: a window that is no widget of ours.
        QWindow stranger;
        stranger.resize(50, 50);
        stranger.show();
        stranger.requestActivate();
        QTRY_COMPARE(QGuiApplication::focusWindow(), &stranger);
        QVERIFY(!QApplication::activeWindow());

        QTemporaryDir files;
        const QString lesson = writeLesson(files, QStringLiteral("授業.NV2"));
        QSignalSpy handed(child<SingleInstance>(mainForm(), "SingleInstance1"),
                          &SingleInstance::fileHandedOver);
        NubivuCopy second(runtime.path());
        second.setWorkingDirectory(files.path());
        // A relative name: the first copy runs elsewhere and needs it absolute.
        second.start({QStringLiteral("授業.NV2")});
        QVERIFY2(second.waitForEnd(), qPrintable(second.log()));
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(handed.size(), 1, 10000);
        QCOMPARE(handed.first().first().toString(), lesson);
        // Opened as Open does.
        QCOMPARE(theLesson().filePath(), lesson);
        QCOMPARE(child<QLabel>(mainForm(), "lblKumotitle")->text(), QStringLiteral("雲"));
        QVERIFY(mainForm()->windowTitle().contains(lesson));
        if (expected.isEmpty()) {
            QVERIFY(mainForm()->isMinimized());
            QVERIFY(!QApplication::activeWindow());
        } else {
            const QString wanted = expected == QLatin1String("main")
                                       ? QStringLiteral("frmNubivuMain")
                                       : QStringLiteral("dialog");
            QTRY_COMPARE(QApplication::activeWindow() ? QApplication::activeWindow()->objectName()
                                                      : QString(),
                         wanted);
        }
    }

    // Open's save question comes first, for a handed file as for a dropped one.
    void handedFileAsksToSaveFirst_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("opened");
        QTest::newRow("no: open without saving") << 1 << true;
        QTest::newRow("cancel: keep the list") << 2 << false;
        // -1: the main window is disabled, as while the editor is open.
        QTest::newRow("main window disabled") << -1 << false;
    }
    void handedFileAsksToSaveFirst() {
        QFETCH(int, answer);
        QFETCH(bool, opened);
        startWindows(640);
        FakePrompter& prompter = fakePrompter();
        prompter.answers = {answer};
        theLesson().setSaved(false);
        if (answer < 0) mainForm()->setEnabled(false);
        QTemporaryDir files;
        const QString lesson = writeLesson(files, QStringLiteral("lesson.NV2"));
        Q_EMIT child<SingleInstance>(mainForm(), "SingleInstance1")->fileHandedOver(lesson);
        QCOMPARE(prompter.asked.size(), size_t(answer < 0 ? 0 : 1));
        if (answer < 0) QCOMPARE(prompter.beeps, 1);
        QCOMPARE(theLesson().filePath() == lesson, opened);
        QCOMPARE(theLesson().isSaved(), opened);
    }

    // A real second copy hands over a list while this copy has unsaved
    // changes. The save question stays open until that copy has gone and
    // its connection is closed; whatever the answer, this copy goes on.
    void handoffAnsweredAfterSecondCopyHasGone_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("opened");
        QTest::newRow("no: the handed list opens") << 1 << true;
        QTest::newRow("cancel: the lesson stays") << 2 << false;
        QTest::newRow("yes, save dialog cancelled: the lesson stays") << 0 << false;
    }
    void handoffAnsweredAfterSecondCopyHasGone() {
        QFETCH(int, answer);
        QFETCH(bool, opened);
        RuntimeDir runtime;
        startWindows(640);
        QVERIFY(!child<SingleInstance>(mainForm(), "SingleInstance1")->isDuplicate());
        QTemporaryDir files;
        const QString shown = writeLesson(files, QStringLiteral("shown.NV2"));
        const QString handed = writeLesson(files, QStringLiteral("handed.NV2"));
        mainForm()->openDataListFile(shown);
        theLesson().setSaved(false); // the teacher has changed something

        NubivuCopy second(runtime.path());
        FakePrompter& prompter = fakePrompter();
        prompter.answers = {answer};
        prompter.files = {QString()};
        // A message box runs its own event loop while it waits for the user.
        prompter.whileAsking = [&] {
            QVERIFY(second.waitForEnd());
            QTest::qWait(300);
        };
        second.start({handed});
        QTRY_COMPARE_WITH_TIMEOUT(prompter.asked.size(), size_t(1), 15000);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(theLesson().filePath(), opened ? handed : shown);
        QCOMPARE(theLesson().isSaved(), opened);
        QCOMPARE(mainForm()->windowTitle().contains(handed), opened);

        // Still the first copy: the next copy is answered.
        NubivuCopy third(runtime.path());
        third.start();
        QVERIFY2(third.waitForEnd(), qPrintable(third.log()));
        QVERIFY(third.log().contains(QStringLiteral("another copy runs")));
        QCOMPARE(prompter.asked.size(), size_t(1));
    }

    void dropOnMainWindow_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("remote");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("version 2 list") << "lesson.NV2" << false << true;
        QTest::newRow("version 1 list") << "lesson.NVD" << false << true;
        QTest::newRow("a picture") << "cloud.bmp" << false << false;
        QTest::newRow("a list that is not there") << "missing.NV2" << false << false;
        QTest::newRow("a list on a web server") << "lesson.NV2" << true << false;
    }
    void dropOnMainWindow() {
        QFETCH(QString, name);
        QFETCH(bool, remote);
        QFETCH(bool, accepted);
        startWindows(640);
        FakePrompter& prompter = fakePrompter();
        QTemporaryDir files;
        const QString path = name.startsWith(QLatin1String("missing")) ? files.filePath(name)
                                                                       : writeLesson(files, name);
        QMimeData data;
        data.setUrls({remote ? QUrl(QStringLiteral("https://example.org/") + name)
                             : QUrl::fromLocalFile(path)});
        const QPoint at = mainForm()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(mainForm(), &enter);
        QCOMPARE(enter.isAccepted(), accepted);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(mainForm(), &drop);
        QCOMPARE(theLesson().filePath(), accepted ? path : QString());
        QVERIFY(prompter.asked.empty()); // nothing unsaved: no question
    }

    // What a peer writes on the name: only well-formed lines reach the window.
    void socketMessages_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("handed");
        QTest::addColumn<bool>("dropped");
        const QByteArray path = QStringLiteral("/lessons/9月/雲.NV2").toUtf8();
        QTest::newRow("open") << "open\t" + path + "\n"
                              << QStringList{"/lessons/9月/雲.NV2"} << false;
        QTest::newRow("two lines in one write")
            << QByteArray("activate\nopen\t/a.NV2\n") << QStringList{"/a.NV2"} << false;
        // The line ends with the next write, the one that shows all was read.
        QTest::newRow("a line split over two writes")
            << QByteArray("open\t/a.NV2") << QStringList{"/a.NV2"} << false;
        QTest::newRow("relative path") << QByteArray("open\ta.NV2\n") << QStringList{} << false;
        QTest::newRow("not UTF-8") << QByteArray("open\t/\x93\x56.NV2\n") << QStringList{} << false;
        QTest::newRow("carriage return in the path")
            << QByteArray("open\t/a\r.NV2\n") << QStringList{} << false;
        QTest::newRow("NUL in the path")
            << QByteArray("open\t/a\0b.NV2\n", 14) << QStringList{} << false;
        QTest::newRow("unknown command")
            << QByteArray("quit\nactivate now\n") << QStringList{} << false;
        QTest::newRow("endless line") << QByteArray(200 * 1024, 'x') << QStringList{} << true;
    }
    void socketMessages() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, handed);
        QFETCH(bool, dropped);
        RuntimeDir runtime;
        ThisCopy copy;
        SingleInstance::Options options;
        options.uniqueName = QStringLiteral("NubivuProtocol");
        SingleInstance guard(copy, options, nullptr);
        QVERIFY(!guard.isDuplicate());
        QStringList got;
        connect(&guard, &SingleInstance::fileHandedOver, this, [&](const QString& p) { got << p; });

        QLocalSocket peer;
        peer.connectToServer(SingleInstance::serverName(options.uniqueName));
        QVERIFY(peer.waitForConnected(5000));
        peer.write(bytes);
        QVERIFY(peer.waitForBytesWritten(5000) || peer.state() != QLocalSocket::ConnectedState);
        if (dropped) {
            QTRY_COMPARE(peer.state(), QLocalSocket::UnconnectedState);
        } else {
            // A harmless line after it shows the server has read everything before.
            peer.write("\nopen\t/end.NV2\n");
            QTRY_VERIFY(got.contains(QStringLiteral("/end.NV2")));
            got.removeAll(QStringLiteral("/end.NV2"));
        }
        QCOMPARE(got, handed);
    }
};

NUBIVU_TEST(TestSysCtrls)
#include "tst_sysctrls.moc"
