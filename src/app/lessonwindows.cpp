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

namespace nubivu {

LessonWindows::LessonWindows(const ScreenMetrics& screen, const WindowServices& services) {
    Prompter& prompter = services.prompter;
    main_ = std::make_unique<MainWindow>(lesson_, screen, services);
    chooser_ = std::make_unique<ImageFileChooser>(lesson_, prompter, screen.decodeOptions());
    editor_ = std::make_unique<ListEditorWindow>(lesson_, screen, prompter);
    sky_ = std::make_unique<SkyWindow>(lesson_, screen, prompter);
    about_ = std::make_unique<AboutBox>();
    options_ = std::make_unique<OptionsDialog>(main_.get());
    help_ = std::make_unique<HelpWindow>(findHelpFolder());

    main_->setPeers({editor_.get(), sky_.get(), about_.get(), options_.get(), help_.get()});
    editor_->setMainWindow(main_.get());
    editor_->setFileChooser(chooser_.get());
    SlideShow& show = main_->slides();
    show.setFillOptions(options_->fillOptions());
    QObject::connect(options_.get(), &OptionsDialog::fillOptionsChanged, &show,
                     &SlideShow::setFillOptions);
}

// Members go in reverse order of declaration: the windows last made first,
// the main window last of them, the lesson after all.
LessonWindows::~LessonWindows() = default;

} // namespace nubivu
