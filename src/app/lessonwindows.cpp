#include "app/lessonwindows.h"

#include "app/tfrmnubivuabort.h"
#include "app/tfrmnubivumain.h"
#include "editor/tfrmdataedit.h"
#include "editor/tfrmfileselect.h"
#include "sitephotos/tfrmkansokuti.h"
#include "slideshow/slideshow.h"
#include "slideshow/tfrmoptiondlg.h"

namespace nubivu {

LessonWindows::LessonWindows(const ScreenMetrics& screen) {
    main_ = std::make_unique<TfrmNubivuMain>(lesson_, screen);
    chooser_ = std::make_unique<TfrmFileSelect>(lesson_);
    editor_ = std::make_unique<TfrmDataEdit>(lesson_, screen);
    sky_ = std::make_unique<TfrmKansokuti>(lesson_, screen);
    about_ = std::make_unique<TfrmNubivuAbort>();
    options_ = std::make_unique<TfrmOptionDlg>(main_.get());

    main_->setPeers({editor_.get(), sky_.get(), about_.get(), options_.get()});
    editor_->SetMainWindow(main_.get());
    editor_->SetFileSelect(chooser_.get());
    SlideShow& show = main_->Slides();
    show.setFillOptions(options_->fillOptions());
    QObject::connect(options_.get(), &TfrmOptionDlg::fillOptionsChanged, &show,
                     &SlideShow::setFillOptions);
}

LessonWindows::~LessonWindows() {
    options_.reset();
    about_.reset();
    sky_.reset();
    editor_.reset();
    chooser_.reset();
    main_.reset();
}

} // namespace nubivu
