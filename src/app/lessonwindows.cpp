#include "app/lessonwindows.h"

#include "app/aboutbox.h"
#include "app/helpwindow.h"
#include "app/mainwindow.h"
#include "core/installdirs.h"
#include "editor/imagefilechooser.h"
#include "editor/listeditorwindow.h"
#include "sitephotos/skywindow.h"
#include "slideshow/optionsdialog.h"
#include "slideshow/slideshow.h"
#include "spi/pluginmanager.h"
#include "spi/wine.h"
#include "ui/skippedpluginsreport.h"

namespace nubivu {

PluginManagerOptions LessonWindows::pluginOptions() {
    PluginManagerOptions options;
    options.searchAtStart = true;
    options.skipFaultyLibraries = true;
    return options;
}

LessonWindows::LessonWindows(const ScreenMetrics& screen, const WindowServices& services) {
    Prompter& prompter = services.prompter;
    main_ = std::make_unique<MainWindow>(lesson_, formats_, screen, services);
    // Made once the main window stands, before anything loads a picture.
    // Wine makes its prefix meanwhile, not when the first Windows plug-in loads.
    Wine().prepareInBackground();
    plugins_ = std::make_unique<PluginManager>(formats_, pluginOptions());
    plugins_->setObjectName(QStringLiteral("SPIs1"));
    // A broken library is passed over and named once the main window is up.
    reportSkippedPluginsWhenShown(*main_, *plugins_, prompter);
    reportSetAsidePlugins(*plugins_, *main_, prompter);
    chooser_ =
        std::make_unique<ImageFileChooser>(lesson_, formats_, prompter, screen.decodeOptions());
    editor_ = std::make_unique<ListEditorWindow>(lesson_, screen, prompter);
    sky_ = std::make_unique<SkyWindow>(lesson_, formats_, screen, prompter);
    about_ = std::make_unique<AboutBox>();
    options_ = std::make_unique<OptionsDialog>(main_.get());
    help_ = std::make_unique<HelpWindow>(findHelpFolder());

    main_->setPeers({editor_.get(), sky_.get(), about_.get(), options_.get(), help_.get()});
    editor_->setMainWindow(main_.get());
    editor_->setFileChooser(chooser_.get());
    QObject::connect(editor_.get(), &ListEditorWindow::folderLessonRequested, main_.get(),
                     &MainWindow::makeLessonFromFolders);
    SlideShow& show = main_->slides();
    show.setFillOptions(options_->fillOptions());
    QObject::connect(options_.get(), &OptionsDialog::fillOptionsChanged, &show,
                     &SlideShow::setFillOptions);
}

LessonWindows::~LessonWindows() = default;

} // namespace nubivu
