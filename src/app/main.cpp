#include "app/forms.h"
#include "app/nubivuapplication.h"
#include "app/tfrmnubivumain.h"
#include "core/errors.h"
#include "pictures/tjpegimage.h"
#include "spi/tspibitmap.h"
#include "ui/errorreport.h"

#include <QGuiApplication>
#include <QScreen>
#include <cstdio>

using namespace nubivu;

int main(int argc, char** argv) {
    // Without a display Qt would abort with a long story; say it in one line.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "nubivu: no display available (set DISPLAY, or run it under xvfb-run)\n");
        return 2;
    }
    NubivuApplication app(argc, argv);
    // Plug-in formats load as bitmaps from before the first window on, until exit.
    TSPIBitmapRegistration spiBitmapRegistration;
    QApplication::setApplicationName(QStringLiteral("Nubivu"));
    QApplication::setApplicationDisplayName(QStringLiteral("Nubivu"));
    // JPEG pictures decode to 8 bits with a palette on a display of 256 colours or fewer.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        TJPEGImage::SetLowColourDisplay(screen->depth() <= 8);
    RegisterJpegFormat();
    try {
        CreateForms();
    } catch (const ENubivuError& e) {
        ShowErrorReport(e.message());
        DestroyForms();
        return 1;
    }
    frmNubivuMain->show();
    const int result = QApplication::exec();
    DestroyForms();
    UnregisterJpegFormat();
    return result;
}
