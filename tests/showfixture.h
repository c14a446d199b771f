#pragma once
// The program's lesson and windows for one test case, and the list of rows
// whose pictures the test makes.
#include "app/aboutbox.h"
#include "app/lessonwindows.h"
#include "app/mainwindow.h"
#include "editor/imagefilechooser.h"
#include "editor/listeditorwindow.h"
#include "sitephotos/skywindow.h"
#include "slideshow/optionsdialog.h"
#include "slideshow/slideshow.h"
#include "testpictures.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

namespace nubivu::test {

// The application object of the case running now (cases run one at a time).
// Left to the end of the process when a case does not stop it, never
// destroyed after the QApplication.
inline LessonWindows*& Windows() {
    static LessonWindows* windows = nullptr;
    return windows;
}
inline void StopWindows() {
    delete Windows();
    Windows() = nullptr;
}
// The windows as at program start, on a screen this wide (and, when given,
// with this much room for windows).
inline void StartWindows(int screenWidth = 1024, QSize screenArea = {}) {
    StopWindows();
    Windows() = new LessonWindows(ScreenMetrics::forWidth(screenWidth, screenArea));
}

inline Lesson& TheLesson() { return Windows()->lesson(); }
inline MainWindow* MainForm() { return Windows() ? &Windows()->mainWindow() : nullptr; }
inline ImageFileChooser* ChooserForm() { return &Windows()->fileChooser(); }
inline ListEditorWindow* EditForm() { return &Windows()->editor(); }
inline SkyWindow* SkyForm() { return &Windows()->skyWindow(); }
inline AboutBox* AboutForm() { return &Windows()->aboutBox(); }
inline OptionsDialog* OptionsForm() { return &Windows()->optionsDialog(); }
inline SlideShow& Show() { return MainForm()->Slides(); }

class ShowFixture {
public:
    // A picture file in the fixture folder; its width tells it apart.
    QString Pic(const QString& name, int width) {
        return WriteTestPicture(dir_.filePath(name), width);
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }

    // Fresh windows on a 1024-pixel screen, the rows in the list, the main
    // window shown and active (so its activation has shown row 1).
    static bool Start(const std::vector<SlotPaths>& rows) {
        Fresh();
        SetRows(TheLesson().rows(), rows);
        MainForm()->show();
        return Activate(MainForm());
    }

    // The windows as at program start, on a screen this wide (and, when
    // given, with this much room for windows).
    static void Fresh(int screenWidth = 1024, QSize screenArea = {}) {
        StartWindows(screenWidth, screenArea);
    }

    static bool Activate(QWidget* window) {
        window->activateWindow();
        QApplication::setActiveWindow(window);
        return QTest::qWaitForWindowActive(window);
    }

private:
    QTemporaryDir dir_;
    TestPictureFormat format_;
};

} // namespace nubivu::test
