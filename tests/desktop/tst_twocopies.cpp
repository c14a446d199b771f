#include "nubivucopy.h"
#include "testrunner.h"

#include <QLocalSocket>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

using namespace nubivu::test;

namespace {
// What a copy killed outright leaves: a socket file nobody listens on.
bool leaveDeadSocket(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return false;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}
} // namespace

// Real copies of the built program, started one after another.
class TestTwoCopies : public QObject {
    Q_OBJECT

    static constexpr auto kFirst = "first copy, holding";
    static constexpr auto kForward = "brought forward: \"frmNubivuMain\"";

    // A further copy ends by itself and asks the running one to come forward.
    static void secondCopyEnds(NubivuCopy& running, const QString& runtime) {
        NubivuCopy second(runtime);
        second.start();
        QVERIFY2(second.waitForEnd(), qPrintable(second.log()));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(second.log().contains(QStringLiteral("another copy runs")));
        QVERIFY2(running.waitFor(QLatin1String(kForward)), qPrintable(running.log()));
        QVERIFY(running.running());
    }

private Q_SLOTS:
    void oneCopyAtATime() {
        RuntimeDir runtime;
        {
            NubivuCopy first(runtime.path());
            first.start();
            QVERIFY2(first.waitFor(QLatin1String(kFirst)), qPrintable(first.log()));
            secondCopyEnds(first, runtime.path());
            if (QTest::currentTestFailed()) return;
            // Ended as the user would close it: the name is given back.
            first.terminate();
            QVERIFY(first.waitForEnd());
            QCOMPARE(first.exitStatus(), QProcess::NormalExit);
            QCOMPARE(first.exitCode(), 0);
            QVERIFY(!QFileInfo::exists(RuntimeDir::socketPath()));
        }
        // The next copy is a first copy again.
        NubivuCopy next(runtime.path());
        next.start();
        QVERIFY2(next.waitFor(QLatin1String(kFirst)), qPrintable(next.log()));
        QVERIFY(!next.log().contains(QStringLiteral("took")));
        secondCopyEnds(next, runtime.path());
    }

    void nameLeftByKilledCopyIsTakenOver() {
        RuntimeDir runtime;
        {
            NubivuCopy crashed(runtime.path());
            crashed.start();
            QVERIFY2(crashed.waitFor(QLatin1String(kFirst)), qPrintable(crashed.log()));
            crashed.kill();
            QVERIFY(crashed.waitForEnd());
        }
        QVERIFY(QFileInfo::exists(RuntimeDir::socketPath())); // left behind
        NubivuCopy next(runtime.path());
        next.start();
        QVERIFY2(next.waitFor(QLatin1String(kFirst)), qPrintable(next.log()));
        QVERIFY(next.log().contains(QStringLiteral("taking over the name")));
        secondCopyEnds(next, runtime.path());
    }

    // Something that is no socket sits on the name: it is left alone, the
    // guard says once that it is off, and every copy runs as a first copy
    // without a name.
    void nameTakenByNoSocket_data() {
        QTest::addColumn<QString>("what");
        QTest::newRow("a file") << "file";
        QTest::newRow("an empty folder") << "folder";
        QTest::newRow("a folder with files") << "full folder";
    }
    void nameTakenByNoSocket() {
        QFETCH(QString, what);
        RuntimeDir runtime;
        const QString name = RuntimeDir::socketPath();
        if (what == QLatin1String("file")) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("notes");
        } else {
            QVERIFY(QDir().mkpath(
                what == QLatin1String("folder") ? name : name + QStringLiteral("/notes")));
        }
        {
            nubivu::ThisCopy thisCopy;
            nubivu::SingleInstance::Options options;
            options.uniqueName = QStringLiteral("Ident6490");
            options.duplicateAction = nubivu::RaiseError;
            QTest::ignoreMessage(
                QtWarningMsg, QRegularExpression(QStringLiteral("^single-instance guard off: ")));
            nubivu::SingleInstance guard(thisCopy, options, nullptr); // no exception
            QVERIFY(!guard.isDuplicate());
        }

        NubivuCopy copy(runtime.path());
        copy.start();
        NubivuCopy other(runtime.path());
        QVERIFY2(copy.waitFor(QStringLiteral("single-instance guard off")), qPrintable(copy.log()));
        other.start();
        QVERIFY2(other.waitFor(QStringLiteral("single-instance guard off")),
                 qPrintable(other.log()));
        QVERIFY(!copy.waitForEnd(1500)); // both keep running
        QVERIFY(other.running());
        for (NubivuCopy* c : {&copy, &other}) {
            QCOMPARE(c->log().count(QStringLiteral("single-instance guard off")), 1);
            QVERIFY(!c->log().contains(QStringLiteral("taking over")));
        }
        const QFileInfo left(name);
        if (what == QLatin1String("file")) {
            QVERIFY(left.isFile());
            QCOMPARE(left.size(), 5);
        } else {
            QVERIFY(left.isDir());
        }
    }

    // A crashed copy left its socket behind, and ten copies start at once:
    // each finds the old socket dead, yet only one may take the name over
    // (none may remove a socket that another has just begun to listen on).
    void copiesStartedTogetherOverDeadName() {
        for (int round = 0; round < 3; ++round) {
            RuntimeDir runtime;
            QVERIFY(leaveDeadSocket(RuntimeDir::socketPath()));
            std::vector<std::unique_ptr<NubivuCopy>> copies;
            for (int i = 0; i < 10; ++i)
                copies.push_back(std::make_unique<NubivuCopy>(runtime.path()));
            for (auto& copy : copies) copy->start();
            auto settled = [&] {
                return std::all_of(copies.begin(), copies.end(), [](auto& c) {
                    return c->ended() || c->log().contains(QLatin1String(kFirst));
                });
            };
            QTRY_VERIFY_WITH_TIMEOUT(settled(), 60000);
            QTest::qWait(300);
            NubivuCopy* survivor = nullptr;
            int firsts = 0;
            for (auto& copy : copies) {
                if (copy->log().contains(QLatin1String(kFirst))) ++firsts;
                if (copy->running()) {
                    QVERIFY2(!survivor, "two copies run");
                    survivor = copy.get();
                } else {
                    QCOMPARE(copy->exitCode(), 0);
                    QVERIFY2(copy->log().contains(QStringLiteral("another copy runs")),
                             qPrintable(copy->log()));
                }
            }
            QCOMPARE(firsts, 1);
            QVERIFY(survivor);
            // The name is the survivor's: a later copy reaches it.
            secondCopyEnds(*survivor, runtime.path());
            if (QTest::currentTestFailed()) return;
        }
    }

    // The same with the claims at one instant: contenders that run the
    // guard the moment they are told, over a dead socket. With the tracer,
    // each contender's removal of the dead socket is held back, the later
    // one's longest, so that it comes after another has begun to listen:
    // the interleaving that chance rarely gives.
    void claimsAtOneInstantOverDeadName_data() {
        QTest::addColumn<int>("contenders");
        QTest::addColumn<int>("rounds");
        QTest::addColumn<bool>("traced");
        QTest::newRow("ten at a time") << 10 << 5 << false;
        QTest::newRow("removals held back") << 3 << 2 << true;
    }
    // A sanitized build cannot look for leaks in a process that is being traced.
    static QProcessEnvironment untraceable(QProcessEnvironment env) {
        const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), asan.isEmpty()
                                                       ? QStringLiteral("detect_leaks=0")
                                                       : asan + QStringLiteral(":detect_leaks=0"));
        return env;
    }
    void claimsAtOneInstantOverDeadName() {
        QFETCH(int, contenders);
        QFETCH(int, rounds);
        QFETCH(bool, traced);
        const QString tracer = QStandardPaths::findExecutable(QStringLiteral("strace"));
        if (traced && tracer.isEmpty()) QSKIP("strace is not installed");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        auto lineOf = [](QProcess& p) {
            QDeadlineTimer deadline(20000);
            while (!p.canReadLine() && !deadline.hasExpired() && p.state() != QProcess::NotRunning)
                p.waitForReadyRead(100);
            return QString::fromLatin1(p.readLine()).trimmed();
        };
        for (int round = 0; round < rounds; ++round) {
            RuntimeDir runtime;
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
            QVERIFY(leaveDeadSocket(RuntimeDir::socketPath()));
            std::vector<std::unique_ptr<QProcess>> started;
            for (int i = 0; i < contenders; ++i) {
                auto contender = std::make_unique<QProcess>();
                contender->setProcessEnvironment(traced ? untraceable(env) : env);
                if (traced) {
                    const QString delay = QString::number((i + 1) * 300000); // microseconds
                    contender->start(tracer, {QStringLiteral("-qq"), QStringLiteral("-o"),
                                              QStringLiteral("/dev/null"), QStringLiteral("-e"),
                                              QStringLiteral("trace=unlink"), QStringLiteral("-e"),
                                              QStringLiteral("inject=unlink:delay_enter=") + delay,
                                              QStringLiteral(NUBIVU_CONTENDER)});
                } else {
                    contender->start(QStringLiteral(NUBIVU_CONTENDER), QStringList{});
                }
                started.push_back(std::move(contender));
            }
            for (auto& contender : started) {
                const QString ready = lineOf(*contender);
                if (traced && ready.isEmpty())
                    QSKIP(qPrintable(QStringLiteral("the tracer cannot run here: ") +
                                     QString::fromLocal8Bit(contender->readAllStandardError())));
                QCOMPARE(ready, QStringLiteral("ready"));
            }
            for (auto& contender : started) contender->write("g");
            for (auto& contender : started) contender->waitForBytesWritten(1000);
            QStringList verdicts;
            for (auto& contender : started) verdicts << lineOf(*contender);
            QCOMPARE(verdicts.count(QStringLiteral("first")), 1);
            QCOMPARE(verdicts.count(QStringLiteral("duplicate")), contenders - 1);
            QLocalSocket peer; // the first one answers on the name
            peer.connectToServer(RuntimeDir::socketPath());
            QVERIFY(peer.waitForConnected(2000));
            for (auto& contender : started) {
                contender->closeWriteChannel();
                QVERIFY(contender->waitForFinished(5000));
                QCOMPARE(contender->exitCode(), 0);
            }
        }
    }

    // Copies started at the same moment (a double click on the launcher
    // twice over): one stays, the others end.
    void copiesStartedTogether() {
        RuntimeDir runtime;
        std::vector<std::unique_ptr<NubivuCopy>> copies;
        for (int i = 0; i < 3; ++i) copies.push_back(std::make_unique<NubivuCopy>(runtime.path()));
        for (auto& copy : copies) copy->start();
        auto ended = [&] {
            return std::count_if(copies.begin(), copies.end(), [](auto& c) { return c->ended(); });
        };
        QTRY_VERIFY_WITH_TIMEOUT(ended() >= 2, 15000);
        QTest::qWait(200);
        QCOMPARE(ended(), 2);
        for (auto& copy : copies) {
            if (copy->ended()) {
                QCOMPARE(copy->exitCode(), 0);
                QVERIFY(copy->log().contains(QStringLiteral("another copy runs")));
            } else {
                QVERIFY2(copy->waitFor(QLatin1String(kForward)), qPrintable(copy->log()));
            }
        }
    }
};

NUBIVU_TEST(TestTwoCopies)
#include "tst_twocopies.moc"
