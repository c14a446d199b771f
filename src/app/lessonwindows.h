#pragma once
// The application object: the one lesson and the windows that show it,
// created in the designed order (the main window first, so that it is the
// application's main window) and wired to each other, each handed what it
// uses from outside: the prompter, the sounds, the copy's standing. main()
// makes one with the application's own; tests make one per case with their
// fakes. The windows are destroyed in reverse order, and the lesson after
// all of them.
#include "app/windowservices.h"
#include "datalist/lesson.h"
#include "ui/scaling.h"

#include <memory>

namespace nubivu {

class ListEditorWindow;
class ImageFileChooser;
class SkyWindow;
class AboutBox;
class MainWindow;
class OptionsDialog;
class HelpWindow;

class LessonWindows {
public:
    // Raises what the creation of a window raises (the plug-in search of the
    // main window); nothing stays then.
    LessonWindows(const ScreenMetrics& screen, const WindowServices& services);
    ~LessonWindows();
    LessonWindows(const LessonWindows&) = delete;
    LessonWindows& operator=(const LessonWindows&) = delete;

    Lesson& lesson() { return lesson_; }
    MainWindow& mainWindow() { return *main_; }
    ImageFileChooser& fileChooser() { return *chooser_; }
    ListEditorWindow& editor() { return *editor_; }
    SkyWindow& skyWindow() { return *sky_; }
    AboutBox& aboutBox() { return *about_; }
    OptionsDialog& optionsDialog() { return *options_; }
    HelpWindow& helpWindow() { return *help_; }

private:
    // Every window below shows or edits it up to its end.
    Lesson lesson_;
    std::unique_ptr<MainWindow> main_;
    std::unique_ptr<ImageFileChooser> chooser_;
    std::unique_ptr<ListEditorWindow> editor_;
    std::unique_ptr<SkyWindow> sky_;
    std::unique_ptr<AboutBox> about_;
    std::unique_ptr<OptionsDialog> options_;
    std::unique_ptr<HelpWindow> help_;
};

} // namespace nubivu
