#include "app/mainwindow.h"
#include "app/systemsound.h"
#include "app/tsingleinstance.h"
#include "app/windowstatesounds.h"
#include "fakeprompter.h"
#include "nubivucopy.h"
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

class RecordingSound : public SystemSound {
public:
    RecordingSound() { previous_ = SystemSound::Install(this); }
    ~RecordingSound() override { SystemSound::Install(previous_); }
    void Play(const QString& eventId) override { played << eventId; }
    QStringList played;

private:
    SystemSound* previous_;
};

// Answers like FakePrompter, after running whileAsking, as a message box
// runs the event loop while it is open.
class WaitingPrompter : public FakePrompter {
public:
    std::function<void()> whileAsking;
    int Ask(const MessageRequest& request) override {
        if (whileAsking) whileAsking();
        return FakePrompter::Ask(request);
    }
};

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
    void cleanup() { StopWindows(); }

    void guardDefaultsAndCount() {
        QCOMPARE(TSingleInstance::LiveCount(), 0);
        auto guard = std::make_unique<TSingleInstance>(nullptr);
        QCOMPARE(guard->DupInstAction, diActivateFirst);
        QCOMPARE(guard->ErrorMessage, QStringLiteral("すでに起動されています"));
        QVERIFY(guard->UniqueName.isEmpty());
        QVERIFY(!guard->OnDuplicate);
        QCOMPARE(TSingleInstance::LiveCount(), 1);
        try {
            TSingleInstance second(nullptr);
            QFAIL("a second guard was allowed");
        } catch (const EMultiSingleInstance& e) {
            QCOMPARE(e.message(), QStringLiteral("Only single component allowed"));
        }
        QCOMPARE(TSingleInstance::LiveCount(), 1);
        guard.reset();
        QCOMPARE(TSingleInstance::LiveCount(), 0);
        // Without a name there is nothing to hold: the check lets the copy run.
        TSingleInstance unnamed(nullptr);
        unnamed.Loaded();
        QVERIFY(!unnamed.IsDuplicate());
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
        StartWindows(640);
        QObject plain;
        QWidget window;
        auto* child = new QWidget(&window);
        QObject* const owners[] = {&plain, child, &window, MainForm()};
        QString raised;
        try {
            delete new WindowStateSounds(owners[int(owner)]);
        } catch (const EAnimateFormError& e) {
            raised = e.message();
        }
        QCOMPARE(raised, error);
    }

    void minimiseAndRestoreSounds() {
        RecordingSound sound;
        QWidget window;
        auto* animate = new WindowStateSounds(&window);
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
    }

    // A real first copy; this process plays the second copy in each mode.
    void duplicateActions() {
        RuntimeDir runtime;
        NubivuCopy first(runtime.Path());
        first.Start();
        QVERIFY2(first.WaitFor(QStringLiteral("first copy")), qPrintable(first.Log()));

        auto check = [](TDupInstAction action, const QString& message) {
            TSingleInstance guard(nullptr);
            guard.UniqueName = QStringLiteral("Ident6490");
            guard.DupInstAction = action;
            guard.ErrorMessage = message;
            QObject* sender = nullptr;
            guard.OnDuplicate = [&](QObject* s) { sender = s; };
            QString raised;
            try {
                guard.Loaded();
            } catch (const EMultiAppInstance& e) {
                raised = e.message();
            }
            if (!guard.IsDuplicate() || sender != &guard) return QStringLiteral("not a duplicate");
            return raised;
        };

        QCOMPARE(check(diTerminate, QStringLiteral("unused")), QString());
        QVERIFY(TSingleInstance::EndRequested());
        TSingleInstance::Finish(); // a terminated copy has nothing to say
        QCOMPARE(check(diException, QStringLiteral("もう動いています")),
                 QStringLiteral("もう動いています"));
        QCOMPARE(check(diActivateFirst, QString()), QString());
        TSingleInstance::Finish();
        QVERIFY2(first.WaitFor(QStringLiteral("brought forward: \"frmNubivuMain\"")),
                 qPrintable(first.Log()));
        QCOMPARE(first.Log().count(QStringLiteral("brought forward")), 1);
        QVERIFY(first.Running());
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
        StartWindows(640);
        QVERIFY(!child<TSingleInstance>(MainForm(), "SingleInstance1")->IsDuplicate());
        MainForm()->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm()));
        QDialog dialog(MainForm());
        dialog.setObjectName(QStringLiteral("dialog"));
        QApplication::setActiveWindow(MainForm());
        if (last == QLatin1String("dialog")) {
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QApplication::setActiveWindow(&dialog);
        }
        if (last == QLatin1String("minimised")) MainForm()->showMinimized();
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
        QSignalSpy handed(child<TSingleInstance>(MainForm(), "SingleInstance1"),
                          &TSingleInstance::FileHandedOver);
        NubivuCopy second(runtime.Path());
        second.SetWorkingDirectory(files.path());
        // A relative name: the first copy runs elsewhere and needs it absolute.
        second.Start({QStringLiteral("授業.NV2")});
        QVERIFY2(second.WaitForEnd(), qPrintable(second.Log()));
        QCOMPARE(second.ExitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(handed.size(), 1, 10000);
        QCOMPARE(handed.first().first().toString(), lesson);
        // Opened as Open does.
        QCOMPARE(TheLesson().filePath(), lesson);
        QCOMPARE(child<QLabel>(MainForm(), "lblKumotitle")->text(), QStringLiteral("雲"));
        QVERIFY(MainForm()->windowTitle().contains(lesson));
        if (expected.isEmpty()) {
            QVERIFY(MainForm()->isMinimized());
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
        StartWindows(640);
        FakePrompter prompter;
        prompter.answers = {answer};
        TheLesson().setSaved(false);
        if (answer < 0) MainForm()->setEnabled(false);
        QTemporaryDir files;
        const QString lesson = writeLesson(files, QStringLiteral("lesson.NV2"));
        Q_EMIT child<TSingleInstance>(MainForm(), "SingleInstance1")->FileHandedOver(lesson);
        QCOMPARE(prompter.asked.size(), size_t(answer < 0 ? 0 : 1));
        if (answer < 0) QCOMPARE(prompter.beeps, 1);
        QCOMPARE(TheLesson().filePath() == lesson, opened);
        QCOMPARE(TheLesson().isSaved(), opened);
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
        StartWindows(640);
        QVERIFY(!child<TSingleInstance>(MainForm(), "SingleInstance1")->IsDuplicate());
        QTemporaryDir files;
        const QString shown = writeLesson(files, QStringLiteral("shown.NV2"));
        const QString handed = writeLesson(files, QStringLiteral("handed.NV2"));
        MainForm()->OpenDataListFile(shown);
        TheLesson().setSaved(false); // the teacher has changed something

        NubivuCopy second(runtime.Path());
        WaitingPrompter prompter;
        prompter.answers = {answer};
        prompter.files = {QString()};
        // A message box runs its own event loop while it waits for the user.
        prompter.whileAsking = [&] {
            QVERIFY(second.WaitForEnd());
            QTest::qWait(300);
        };
        second.Start({handed});
        QTRY_COMPARE_WITH_TIMEOUT(prompter.asked.size(), size_t(1), 15000);
        QCOMPARE(second.ExitCode(), 0);
        QCOMPARE(TheLesson().filePath(), opened ? handed : shown);
        QCOMPARE(TheLesson().isSaved(), opened);
        QCOMPARE(MainForm()->windowTitle().contains(handed), opened);

        // Still the first copy: the next copy is answered.
        NubivuCopy third(runtime.Path());
        third.Start();
        QVERIFY2(third.WaitForEnd(), qPrintable(third.Log()));
        QVERIFY(third.Log().contains(QStringLiteral("another copy runs")));
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
        StartWindows(640);
        FakePrompter prompter;
        QTemporaryDir files;
        const QString path = name.startsWith(QLatin1String("missing")) ? files.filePath(name)
                                                                       : writeLesson(files, name);
        QMimeData data;
        data.setUrls({remote ? QUrl(QStringLiteral("https://example.org/") + name)
                             : QUrl::fromLocalFile(path)});
        const QPoint at = MainForm()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(MainForm(), &enter);
        QCOMPARE(enter.isAccepted(), accepted);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(MainForm(), &drop);
        QCOMPARE(TheLesson().filePath(), accepted ? path : QString());
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
        TSingleInstance guard(nullptr);
        guard.UniqueName = QStringLiteral("NubivuProtocol");
        guard.Loaded();
        QVERIFY(!guard.IsDuplicate());
        QStringList got;
        connect(&guard, &TSingleInstance::FileHandedOver, this,
                [&](const QString& p) { got << p; });

        QLocalSocket peer;
        peer.connectToServer(TSingleInstance::ServerName(guard.UniqueName));
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
