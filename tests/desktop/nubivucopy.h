#pragma once
// Copies of the built program started by the tests, each in a runtime
// folder that the test chooses, with the single-instance guard's log on.
#include "app/singleinstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace nubivu::test {

// A private runtime folder; while it lives, this process uses it too.
class RuntimeDir {
public:
    RuntimeDir() : previous_(qgetenv("XDG_RUNTIME_DIR")) {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir_.path()));
    }
    ~RuntimeDir() { qputenv("XDG_RUNTIME_DIR", previous_); }
    QString path() const { return dir_.path(); }
    // The socket the program's guard holds in this folder.
    static QString socketPath() { return SingleInstance::serverName(QStringLiteral("Ident6490")); }

private:
    QTemporaryDir dir_;
    QByteArray previous_;
};

class NubivuCopy {
public:
    explicit NubivuCopy(const QString& runtimeDir,
                        const QString& program = QStringLiteral(NUBIVU_PROGRAM)) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("nubivu.instance.info=true"));
        process_.setProcessEnvironment(env);
        process_.setProgram(program);
    }
    ~NubivuCopy() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    void start(const QStringList& args = {}) {
        process_.setArguments(args);
        process_.start();
    }
    // Waits until the copy's log holds text; false if it ended or took too long.
    bool waitFor(const QString& text, int ms = 15000) {
        QDeadlineTimer deadline(ms);
        while (!log().contains(text)) {
            if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) return false;
            process_.waitForReadyRead(100);
        }
        return true;
    }
    QString log() {
        log_ += QString::fromUtf8(process_.readAllStandardError());
        return log_;
    }
    void setWorkingDirectory(const QString& dir) { process_.setWorkingDirectory(dir); }
    // waitForFinished answers false for a copy whose end an event loop has
    // already taken in (a message box waiting, say): that counts as ended too.
    bool waitForEnd(int ms = 15000) {
        if (process_.waitForFinished(ms)) return true;
        return process_.state() == QProcess::NotRunning &&
               process_.error() != QProcess::FailedToStart;
    }
    bool running() const { return process_.state() == QProcess::Running; }
    bool ended() const { return process_.state() == QProcess::NotRunning; }
    int exitCode() const { return process_.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return process_.exitStatus(); }
    void terminate() { process_.terminate(); }
    void kill() { process_.kill(); }

private:
    QProcess process_;
    QString log_;
};

} // namespace nubivu::test
