#include "app/applicationsetup.h"
#include "app/lessonwindows.h"
#include "app/mainwindow.h"
#include "app/makelesson.h"
#include "app/nubivuapplication.h"
#include "app/selfcheck.h"
#include "app/singleinstance.h"
#include "app/terminationsignal.h"
#include "core/errors.h"
#include "ui/errorreport.h"

#include <QFileInfo>
#include <cstdio>
#include <cstring>

using namespace nubivu;

int main(int argc, char** argv) {
    // nubivu [--self-check | --help | --version | --make-lesson ...] [Qt options] [LIST.NV2]
    if (const auto text = infoOptionText(argc, argv)) {
        std::fputs(text->toLocal8Bit().constData(), stdout);
        return 0;
    }
    bool platformGiven = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--self-check") == 0) return runSelfCheck(argc, argv);
        // Made without a display: a script runs it before school.
        if (std::strcmp(argv[i], "--make-lesson") == 0) {
            QStringList rest;
            for (int j = i + 1; j < argc; ++j) rest << QString::fromLocal8Bit(argv[j]);
            return runMakeLesson(argc, argv, rest);
        }
        platformGiven = platformGiven || std::strcmp(argv[i], "-platform") == 0;
    }
    // Without a display Qt would abort with a long story; say it in one line.
    if (!platformGiven && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fprintf(stderr,
                     "nubivu: no display available (set DISPLAY, or run it under xvfb-run)\n");
        return 2;
    }
    keepPictureMemory();
    NubivuApplication app(argc, argv);
    setApplicationIdentity();
    // The file dialogs and Qt's other texts in the program's language, where installed.
    QLocale::setDefault(programLocale());
    loadQtTranslations(app, programLocale());
    // The list to open: the first argument that is no option (Qt has taken its own by now).
    QString startFile;
    for (const QString& argument : QApplication::arguments().mid(1)) {
        if (!argument.startsWith(QLatin1Char('-'))) {
            startFile = QFileInfo(argument).absoluteFilePath();
            break;
        }
    }
    // Outlives the windows: a later copy says farewell to the first one once they are gone.
    ThisCopy thisCopy(startFile);
    std::unique_ptr<LessonWindows> windows;
    closeOnTerminationSignal(
        [&windows] { return windows ? static_cast<QWidget*>(&windows->mainWindow()) : nullptr; });
    try {
        windows = std::make_unique<LessonWindows>(
            ScreenMetrics::ofPrimaryScreen(),
            WindowServices{app.prompter(), app.systemSound(), thisCopy});
    } catch (const ENubivuError& e) {
        showErrorReport(app.prompter(), e.message());
        thisCopy.finish();
        return 1;
    }
    MainWindow& mainWindow = windows->mainWindow();
    mainWindow.show();
    // "nubivu FILE" opens the list as Open does once its dialog is confirmed;
    // a second copy hands it to the first one instead.
    if (!startFile.isEmpty() && !mainWindow.isDuplicateCopy()) {
        try {
            mainWindow.openDataListFile(startFile);
        } catch (const ENubivuError& e) {
            showErrorReport(app.prompter(), e.message(), e.fileName());
        }
    }
    const int result = QApplication::exec();
    windows.reset();
    thisCopy.finish();
    return result;
}
