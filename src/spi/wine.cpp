#include "spi/wine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace nubivu {

namespace {

std::optional<QString> wineOverride;
std::optional<QString> helperOverride;
std::optional<std::pair<bool, QString>> runs; // asked once

QProcessEnvironment wineEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WINEPREFIX"), WinePrefix());
    env.insert(QStringLiteral("WINEDLLOVERRIDES"),
               QStringLiteral("mscoree,mshtml=;winedbg.exe,winemenubuilder.exe=d"));
    env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("ja_JP.UTF-8"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("ja_JP.UTF-8"));
    env.remove(QStringLiteral("DISPLAY"));
    return env;
}

} // namespace

QString WineProgram() {
    if (wineOverride) return *wineOverride;
    return QStandardPaths::findExecutable(QStringLiteral("wine"));
}

QString WindowsHelperProgram() {
    if (helperOverride) return *helperOverride;
    const QString beside =
        QCoreApplication::applicationDirPath() + QStringLiteral("/nubivu-spihost32.exe");
    return QFileInfo::exists(beside) ? beside : QString();
}

QString WinePrefix() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/nubivu/wine");
}

bool WineRuns(QString* reason) {
    if (!runs) {
        QProcess wine;
        wine.setProcessEnvironment(wineEnvironment());
        wine.start(WineProgram(), {QStringLiteral("--version")});
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
        runs = {ok, why};
    }
    if (reason) *reason = runs->second;
    return runs->first;
}

void PrepareWineInBackground() {
    const QString wine = WineProgram();
    if (wine.isEmpty() || WindowsHelperProgram().isEmpty() || QFileInfo::exists(WinePrefix()))
        return;
    QDir().mkpath(QFileInfo(WinePrefix()).absolutePath());
    QProcess boot;
    boot.setProgram(wine);
    boot.setArguments({QStringLiteral("wineboot"), QStringLiteral("--init")});
    boot.setProcessEnvironment(wineEnvironment());
    boot.setStandardOutputFile(QProcess::nullDevice());
    boot.setStandardErrorFile(QProcess::nullDevice());
    boot.startDetached();
}

void OverrideWine(std::optional<QString> wine, std::optional<QString> windowsHelper) {
    wineOverride = std::move(wine);
    helperOverride = std::move(windowsHelper);
    runs.reset();
}

} // namespace nubivu
