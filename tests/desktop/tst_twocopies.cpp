#include "nubivucopy.h"
#include "testrunner.h"

#include <QTest>
#include <algorithm>
#include <memory>
#include <vector>

using namespace nubivu::test;

// Real copies of the built program, started one after another.
class TestTwoCopies : public QObject {
    Q_OBJECT

    static constexpr auto kFirst = "first copy, holding";
    static constexpr auto kForward = "brought forward: \"frmNubivuMain\"";

    // A further copy ends by itself and asks the running one to come forward.
    static void secondCopyEnds(NubivuCopy& running, const QString& runtime) {
        NubivuCopy second(runtime);
        second.Start();
        QVERIFY2(second.WaitForEnd(), qPrintable(second.Log()));
        QCOMPARE(second.ExitStatus(), QProcess::NormalExit);
        QCOMPARE(second.ExitCode(), 0);
        QVERIFY(second.Log().contains(QStringLiteral("another copy runs")));
        QVERIFY2(running.WaitFor(QLatin1String(kForward)), qPrintable(running.Log()));
        QVERIFY(running.Running());
    }

private Q_SLOTS:
    void oneCopyAtATime() {
        RuntimeDir runtime;
        {
            NubivuCopy first(runtime.Path());
            first.Start();
            QVERIFY2(first.WaitFor(QLatin1String(kFirst)), qPrintable(first.Log()));
            secondCopyEnds(first, runtime.Path());
            if (QTest::currentTestFailed()) return;
            // Ended as the user would close it: the name is given back.
            first.Terminate();
            QVERIFY(first.WaitForEnd());
            QCOMPARE(first.ExitStatus(), QProcess::NormalExit);
            QCOMPARE(first.ExitCode(), 0);
            QVERIFY(!QFileInfo::exists(RuntimeDir::SocketPath()));
        }
        // The next copy is a first copy again.
        NubivuCopy next(runtime.Path());
        next.Start();
        QVERIFY2(next.WaitFor(QLatin1String(kFirst)), qPrintable(next.Log()));
        QVERIFY(!next.Log().contains(QStringLiteral("took")));
        secondCopyEnds(next, runtime.Path());
    }

    void nameLeftByKilledCopyIsTakenOver() {
        RuntimeDir runtime;
        {
            NubivuCopy crashed(runtime.Path());
            crashed.Start();
            QVERIFY2(crashed.WaitFor(QLatin1String(kFirst)), qPrintable(crashed.Log()));
            crashed.Kill();
            QVERIFY(crashed.WaitForEnd());
        }
        QVERIFY(QFileInfo::exists(RuntimeDir::SocketPath())); // left behind
        NubivuCopy next(runtime.Path());
        next.Start();
        QVERIFY2(next.WaitFor(QLatin1String(kFirst)), qPrintable(next.Log()));
        QVERIFY(next.Log().contains(QStringLiteral("taking over the name")));
        secondCopyEnds(next, runtime.Path());
    }

    // Something that is no socket sits on the name and cannot be removed:
    // every copy runs, silently, as a first copy without a name.
    void nameNeitherTakeableNorReachable() {
        RuntimeDir runtime;
        QVERIFY(QDir().mkpath(RuntimeDir::SocketPath() + QStringLiteral("/blocker")));
        nubivu::TSingleInstance guard(nullptr);
        guard.UniqueName = QStringLiteral("Ident6490");
        guard.DupInstAction = nubivu::diException;
        guard.Loaded(); // no exception
        QVERIFY(!guard.IsDuplicate());

        NubivuCopy copy(runtime.Path());
        copy.Start();
        QVERIFY2(copy.WaitFor(QStringLiteral("name neither reachable nor free")), qPrintable(copy.Log()));
        QVERIFY(!copy.WaitForEnd(1500)); // keeps running
        QVERIFY(!copy.Log().contains(QStringLiteral("taking over")));
        QVERIFY(QFileInfo(RuntimeDir::SocketPath()).isDir());
    }

    // Copies started at the same moment (a double click on the launcher
    // twice over): one stays, the others end.
    void copiesStartedTogether() {
        RuntimeDir runtime;
        std::vector<std::unique_ptr<NubivuCopy>> copies;
        for (int i = 0; i < 3; ++i) copies.push_back(std::make_unique<NubivuCopy>(runtime.Path()));
        for (auto& copy : copies) copy->Start();
        auto ended = [&] {
            return std::count_if(copies.begin(), copies.end(), [](auto& c) { return c->Ended(); });
        };
        QTRY_VERIFY_WITH_TIMEOUT(ended() >= 2, 15000);
        QTest::qWait(200);
        QCOMPARE(ended(), 2);
        for (auto& copy : copies) {
            if (copy->Ended()) {
                QCOMPARE(copy->ExitCode(), 0);
                QVERIFY(copy->Log().contains(QStringLiteral("another copy runs")));
            } else {
                QVERIFY2(copy->WaitFor(QLatin1String(kForward)), qPrintable(copy->Log()));
            }
        }
    }
};

NUBIVU_TEST(TestTwoCopies)
#include "tst_twocopies.moc"
