#include "nubivucopy.h"
#include "testrunner.h"
#include "ui/scaling.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <memory>

using namespace nubivu;
using namespace nubivu::test;

namespace {

QString tool(const char* name) { return QStandardPaths::findExecutable(QLatin1String(name)); }

// An X server of its own with a window manager, as a teacher's desktop has.
class Desktop {
public:
    explicit Desktop(QSize screen) {
        xvfb_.setProgram(tool("Xvfb"));
        xvfb_.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"),
                            QStringLiteral("-screen"), QStringLiteral("0"),
                            QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height()),
                            QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        xvfb_.start();
        QDeadlineTimer deadline(10000);
        QByteArray out;
        while (!out.contains('\n') && !deadline.hasExpired()) {
            xvfb_.waitForReadyRead(200);
            out += xvfb_.readAllStandardOutput();
        }
        if (!out.contains('\n')) return;
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("DISPLAY"),
                    QLatin1Char(':') + QString::fromLatin1(out.trimmed()));
        env_.remove(QStringLiteral("QT_QPA_PLATFORM"));
        wm_.setProcessEnvironment(env_);
        wm_.start(tool("openbox"), {});
        // The window manager is up once it names itself on the root window.
        while (!deadline.hasExpired() &&
               !run(tool("xprop"), {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id"))
            QTest::qWait(100);
        ready_ = !deadline.hasExpired();
    }
    ~Desktop() {
        for (QProcess* p : {&wm_, &xvfb_}) {
            p->terminate();
            if (!p->waitForFinished(3000)) p->kill();
            p->waitForFinished(3000);
        }
    }
    bool ready() const { return ready_; }
    const QProcessEnvironment& environment() const { return env_; }

    QString run(const QString& program, const QStringList& args) const {
        QProcess p;
        p.setProcessEnvironment(env_);
        p.start(program, args);
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    // The one window whose caption is exactly this one (0: none such).
    QString windowNamed(const QString& caption) const {
        const QStringList ids = run(tool("xdotool"), {"search", "--onlyvisible", "--name",
                                                      QRegularExpression::escape(caption)})
                                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& id : ids)
            if (run(tool("xdotool"), {"getwindowname", id}).trimmed() == caption) return id;
        return {};
    }

    // The window's frame rectangle on the screen: its client area grown by
    // the frame the window manager put around it.
    QRect outer(const QString& id) const {
        // xwininfo, not xdotool: the latter counts the frame into the position twice.
        const QString info = run(tool("xwininfo"), {"-id", id});
        auto value = [&](const char* key) {
            const QRegularExpression re(QLatin1String(key) + QStringLiteral(":\\s+(-?\\d+)"));
            return re.match(info).captured(1).toInt();
        };
        const QString extents = run(tool("xprop"), {"-id", id, "_NET_FRAME_EXTENTS"});
        const QRegularExpression re(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)"));
        const auto m = re.match(extents);
        if (!m.hasMatch()) return {};
        const QMargins frame(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(2).toInt(),
                             m.captured(4).toInt());
        return QRect(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
                     value("Height"))
            .marginsAdded(frame);
    }

private:
    QProcess xvfb_;
    QProcess wm_;
    QProcessEnvironment env_;
    bool ready_ = false;
};

} // namespace

// The program on an X server with a window manager: captions exactly as
// designed, and outer sizes (frame included) as designed or fitted.
class TestOnScreen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        for (const char* name : {"Xvfb", "openbox", "xdotool", "xprop", "xwininfo", "wmctrl"})
            if (tool(name).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(name)));
    }

    void windowsOnScreen_data() {
        QTest::addColumn<QSize>("screen");
        QTest::newRow("1024x768") << QSize(1024, 768);
        QTest::newRow("1366x768") << QSize(1366, 768);
        QTest::newRow("1920x1080") << QSize(1920, 1080);
    }
    void windowsOnScreen() {
        QFETCH(QSize, screen);
        Desktop desktop(screen);
        QVERIFY(desktop.ready());
        RuntimeDir runtime;
        QProcess program;
        QProcessEnvironment env = desktop.environment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(NUBIVU_PROGRAM),
                      {QStringLiteral(NUBIVU_SOURCE_DIR "/samples/lesson.NV2")});
        const QString caption =
            QStringLiteral("Nubivu Ver.3.10  [ " NUBIVU_SOURCE_DIR "/samples/lesson.NV2 ]");
        const double f = scaleFactorFor(screen.width());
        const QSize mainOuter = mainWindowOuterSize(screen.width(), f);

        QString main;
        QTRY_VERIFY_WITH_TIMEOUT(!(main = desktop.windowNamed(caption)).isEmpty(), 15000);
        // The frame is reported after the window is shown; the size follows it.
        QTRY_COMPARE_WITH_TIMEOUT(desktop.outer(main).size(), mainOuter, 10000);
        const QRect screenRect(QPoint(), screen);
        QVERIFY(screenRect.contains(desktop.outer(main)));

        // The sky-photo button, wherever the menu bar's height puts it.
        const QString x = QString::number(scaled(424 + 52, f));
        const QString y = QString::number(scaled(232, f) + scaled(25, f) / 2 + 22);
        desktop.run(tool("xdotool"), {"mousemove", "--window", main, x, y, "click", "1"});
        QString sky;
        QTRY_VERIFY_WITH_TIMEOUT(
            !(sky = desktop.windowNamed(QStringLiteral("私たちの地域の様子"))).isEmpty(), 10000);
        const QSize skyOuter = skyWindowScale(screen.width(), f, screen).outer;
        QTRY_COMPARE_WITH_TIMEOUT(desktop.outer(sky).size(), skyOuter, 10000);
        const QRect skyRect = desktop.outer(sky);
        QVERIFY2(
            skyRect.top() >= 0 && skyRect.bottom() < screen.height(),
            qPrintable(QStringLiteral("sky window at %1,%2").arg(skyRect.x()).arg(skyRect.y())));
        qInfo("%dx%d: main %dx%d, sky %dx%d", screen.width(), screen.height(),
              desktop.outer(main).width(), desktop.outer(main).height(), skyRect.width(),
              skyRect.height());

        // The editor stays above the main window, and the main window's close
        // box does not end the program while the editor is open.
        desktop.run(tool("xdotool"), {"windowactivate", "--sync", main});
        desktop.run(tool("xdotool"), {"key", "ctrl+e"});
        QString editor;
        QTRY_VERIFY_WITH_TIMEOUT(!(editor = desktop.windowNamed(QStringLiteral("編集"))).isEmpty(),
                                 10000);
        const QString transient = desktop.run(tool("xprop"), {"-id", editor, "WM_TRANSIENT_FOR"});
        QVERIFY2(transient.contains(QStringLiteral("0x") + QString::number(main.toULongLong(), 16)),
                 qPrintable(transient));
        desktop.run(tool("wmctrl"), {"-i", "-c", main});
        QVERIFY(!program.waitForFinished(1500));
        QVERIFY(!desktop.windowNamed(caption).isEmpty());

        program.terminate();
        QVERIFY(program.waitForFinished(10000));
    }
};

NUBIVU_TEST(TestOnScreen)
#include "tst_onscreen.moc"
