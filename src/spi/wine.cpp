#include "spi/wine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace nubivu {

namespace {

QProcessEnvironment wineEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WINEPREFIX"), Wine::prefix());
    env.insert(QStringLiteral("WINEDLLOVERRIDES"),
               QStringLiteral("mscoree,mshtml=;winedbg.exe,winemenubuilder.exe=d"));
    env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("ja_JP.UTF-8"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("ja_JP.UTF-8"));
    env.remove(QStringLiteral("DISPLAY"));
    return env;
}

} // namespace

QString Wine::program() const {
    if (program_) return *program_;
    return QStandardPaths::findExecutable(QStringLiteral("wine"));
}

QString Wine::windowsHelper() const {
    if (windowsHelper_) return *windowsHelper_;
    const QString beside =
        QCoreApplication::applicationDirPath() + QStringLiteral("/nubivu-spihost32.exe");
    return QFileInfo::exists(beside) ? beside : QString();
}

QString Wine::prefix() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/nubivu/wine");
}

bool Wine::runs(QString* reason) {
    if (!runs_) {
        QProcess wine;
        wine.setProcessEnvironment(wineEnvironment());
        wine.start(program(), {QStringLiteral("--version")});
        const bool finished = wine.waitForFinished(20000);
        const bool ok =
            finished && wine.exitStatus() == QProcess::NormalExit && wine.exitCode() == 0;
        QString why;
        if (!ok) {
            if (!finished) wine.kill();
            why = QString::fromLocal8Bit(wine.readAllStandardError())
                      .trimmed()
                      .section(QLatin1Char('\n'), -1);
            if (why.isEmpty()) why = wine.errorString();
        }
        runs_ = {ok, why};
    }
    if (reason) *reason = runs_->second;
    return runs_->first;
}

void Wine::prepareInBackground() const {
    const QString wine = program();
    if (wine.isEmpty() || windowsHelper().isEmpty() || QFileInfo::exists(prefix())) return;
    QDir().mkpath(QFileInfo(prefix()).absolutePath());
    QProcess boot;
    boot.setProgram(wine);
    boot.setArguments({QStringLiteral("wineboot"), QStringLiteral("--init")});
    boot.setProcessEnvironment(wineEnvironment());
    boot.setStandardOutputFile(QProcess::nullDevice());
    boot.setStandardErrorFile(QProcess::nullDevice());
    boot.startDetached();
}

} // namespace nubivu
