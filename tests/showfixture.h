#pragma once
// The program's lesson and windows for one test case, and the list of rows
// whose pictures the test makes.
#include "app/aboutbox.h"
#include "app/helpwindow.h"
#include "app/lessonwindows.h"
#include "app/mainwindow.h"
#include "app/singleinstance.h"
#include "editor/imagefilechooser.h"
#include "editor/listeditorwindow.h"
#include "fakeprompter.h"
#include "recordingsound.h"
#include "sitephotos/skywindow.h"
#include "slideshow/optionsdialog.h"
#include "slideshow/slideshow.h"
#include "testpictures.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

namespace nubivu::test {

// The application object of a case with the fakes it is handed, which
// outlive its windows.
struct TestApplication {
    FakePrompter prompter;
    RecordingSound sound;
    ThisCopy thisCopy;
    LessonWindows windows;

    explicit TestApplication(const ScreenMetrics& screen)
        : windows(screen, {prompter, sound, thisCopy}) {}
};

// The one of the case running now (cases run one at a time). Left to the
// end of the process when a case does not stop it, never destroyed after
// the QApplication.
inline TestApplication*& application() {
    static TestApplication* application = nullptr;
    return application;
}
inline LessonWindows* windows() { return application() ? &application()->windows : nullptr; }
inline void stopWindows() {
    delete application();
    application() = nullptr;
}
// The windows as at program start on that screen.
inline void startWindows(const ScreenMetrics& screen) {
    stopWindows();
    application() = new TestApplication(screen);
    addTestPictureFormat(windows()->formats());
}
// The windows as at program start, on a screen this wide (and, when given,
// with this much room for windows), reading the test pictures too.
inline void startWindows(int screenWidth = 1024, QSize screenArea = {}) {
    startWindows(ScreenMetrics::forWidth(screenWidth, screenArea));
}
// What the windows asked the user, and how the test answers: fresh with the windows.
inline FakePrompter& fakePrompter() { return application()->prompter; }

inline Lesson& theLesson() { return windows()->lesson(); }
inline MainWindow* mainForm() { return windows() ? &windows()->mainWindow() : nullptr; }
inline ImageFileChooser* chooserForm() { return &windows()->fileChooser(); }
inline ListEditorWindow* editForm() { return &windows()->editor(); }
inline SkyWindow* skyForm() { return &windows()->skyWindow(); }
inline AboutBox* aboutForm() { return &windows()->aboutBox(); }
inline OptionsDialog* optionsForm() { return &windows()->optionsDialog(); }
inline HelpWindow* helpForm() { return &windows()->helpWindow(); }
inline SlideShow& show() { return mainForm()->slides(); }
// The row on show as its counter numbers it: from 1, 0 before the first activation.
inline int shownRow() { return show().currentRow() + 1; }

class ShowFixture {
public:
    // A picture file in the fixture folder; its width tells it apart.
    QString pic(const QString& name, int width) {
        return writeTestPicture(dir_.filePath(name), width);
    }
    QString path(const QString& name) const { return dir_.filePath(name); }

    // Fresh windows on a 1024-pixel screen, the rows in the list, the main
    // window shown and active (so its activation has shown row 1).
    static bool start(const std::vector<SlotPaths>& rows) {
        fresh();
        setRows(theLesson().rows(), rows);
        mainForm()->show();
        return activate(mainForm());
    }

    // The windows as at program start, on a screen this wide (and, when
    // given, with this much room for windows).
    static void fresh(int screenWidth = 1024, QSize screenArea = {}) {
        startWindows(screenWidth, screenArea);
    }

    static bool activate(QWidget* window) {
        window->activateWindow();
        QApplication::setActiveWindow(window);
        return QTest::qWaitForWindowActive(window);
    }

private:
    QTemporaryDir dir_;
};

} // namespace nubivu::test
