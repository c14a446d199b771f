#pragma once
// The application object: the one lesson, the picture formats and plug-ins
// its windows load through, and the six windows that show it, created in the
// designed order (the main window first, so that it is the application's
// main window) and wired to each other, each handed what it uses from
// outside: the prompter, the sounds, the copy's standing. main() makes one
// with the application's own; tests make one per case with their fakes.
#include "app/windowservices.h"
#include "datalist/lesson.h"
#include "pictures/formatregistry.h"
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
class PluginManager;
struct PluginManagerOptions;

class LessonWindows {
public:
    // The plug-in manager as the program runs it: the Susie folder and the
    // program's folder searched at start, a broken library passed over and
    // named rather than ending the search.
    static PluginManagerOptions pluginOptions();

    // Raises what the creation of a window or the plug-in search raises;
    // nothing stays then.
    LessonWindows(const ScreenMetrics& screen, const WindowServices& services);
    ~LessonWindows();
    LessonWindows(const LessonWindows&) = delete;
    LessonWindows& operator=(const LessonWindows&) = delete;

    Lesson& lesson() { return lesson_; }
    FormatRegistry& formats() { return formats_; }
    PluginManager& plugins() { return *plugins_; }
    MainWindow& mainWindow() { return *main_; }
    ImageFileChooser& fileChooser() { return *chooser_; }
    ListEditorWindow& editor() { return *editor_; }
    SkyWindow& skyWindow() { return *sky_; }
    AboutBox& aboutBox() { return *about_; }
    OptionsDialog& optionsDialog() { return *options_; }
    HelpWindow& helpWindow() { return *help_; }

private:
    // Destroyed in reverse order: the windows first, the last made first,
    // then the plug-in manager, the formats and the lesson, which every
    // window shows or edits up to its end.
    Lesson lesson_;
    // The manager registers its plug-ins' formats here, so this outlives it.
    FormatRegistry formats_;
    // Outlives every window and the decoding ahead behind them, which may be
    // calling one of its plug-ins.
    std::unique_ptr<PluginManager> plugins_;
    std::unique_ptr<MainWindow> main_;
    std::unique_ptr<ImageFileChooser> chooser_;
    std::unique_ptr<ListEditorWindow> editor_;
    std::unique_ptr<SkyWindow> sky_;
    std::unique_ptr<AboutBox> about_;
    std::unique_ptr<OptionsDialog> options_;
    std::unique_ptr<HelpWindow> help_;
};

} // namespace nubivu
