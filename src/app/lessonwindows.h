#pragma once
// The application object: the one lesson and the six windows that show it,
// created in the designed order (the main window first, so that it is the
// application's main window) and wired to each other. main() makes one;
// tests make one per case. The windows are destroyed in reverse order, and
// the lesson after all of them.
#include "datalist/lesson.h"
#include "ui/scaling.h"

#include <memory>

namespace nubivu {

class TfrmDataEdit;
class TfrmFileSelect;
class TfrmKansokuti;
class TfrmNubivuAbort;
class TfrmNubivuMain;
class TfrmOptionDlg;

class LessonWindows {
public:
    // Raises what the creation of a window raises (the plug-in search of the
    // main window); nothing stays then.
    explicit LessonWindows(const ScreenMetrics& screen);
    ~LessonWindows();
    LessonWindows(const LessonWindows&) = delete;
    LessonWindows& operator=(const LessonWindows&) = delete;

    Lesson& lesson() { return lesson_; }
    TfrmNubivuMain& mainWindow() { return *main_; }
    TfrmFileSelect& fileChooser() { return *chooser_; }
    TfrmDataEdit& editor() { return *editor_; }
    TfrmKansokuti& skyWindow() { return *sky_; }
    TfrmNubivuAbort& aboutBox() { return *about_; }
    TfrmOptionDlg& optionsDialog() { return *options_; }

private:
    Lesson lesson_;
    std::unique_ptr<TfrmNubivuMain> main_;
    std::unique_ptr<TfrmFileSelect> chooser_;
    std::unique_ptr<TfrmDataEdit> editor_;
    std::unique_ptr<TfrmKansokuti> sky_;
    std::unique_ptr<TfrmNubivuAbort> about_;
    std::unique_ptr<TfrmOptionDlg> options_;
};

} // namespace nubivu
