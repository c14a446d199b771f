// nubivu-picture FILE OUT.bmp
//
// Loads FILE through the same picture registry and plug-ins as the program's panes, prints
// the picture class that read it, and writes what a pane shows at the
// picture's own size as a BMP: 8 bits (or fewer) with the palette where the
// picture has one, 24 bits otherwise. On failure prints the message the
// program would show and exits with 1.
#include "core/errors.h"
#include "pictures/fileformats.h"
#include "pictures/tbitmap.h"
#include "pictures/tjpegimage.h"
#include "pictures/tpicture.h"
#include "spi/tspibitmap.h"
#include "spi/tspis.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <cstdio>

using namespace nubivu;

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    return 1;
}

// The picture as a pane at its own size shows it.
void render(TGraphic& graphic, TBitmap& out) {
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(&graphic)) {
        out.CopyFrom(jpeg->Bitmap());
        return;
    }
    if (auto* bitmap = dynamic_cast<TBitmap*>(&graphic);
        bitmap && bitmap->Image().format() == QImage::Format_Indexed8) {
        out.CopyFrom(*bitmap);
        return;
    }
    QImage image(graphic.Width(), graphic.Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    graphic.DrawInto(painter, image.rect());
    painter.end();
    out.SetImage(image);
}

} // namespace

int main(int argc, char** argv) {
    // Drawing needs a GUI application, never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: nubivu-picture FILE OUT.bmp\n");
        return 2;
    }
    RegisterJpegFormat();
    // The plug-ins as the program finds them: the Susie folder and this program's folder.
    TSPIBitmapRegistration pluginFormats;
    TSPIs plugins;
    plugins.SearchOptions = {TSPISearchOption::spsSusieDir, TSPISearchOption::spsAppDir};
    plugins.SkipFaultyLibraries = true;
    plugins.AfterLoad();
    for (const TSkippedPlugin& skipped : plugins.SkippedPlugins())
        std::fprintf(stderr, "skipped %s: %s\n", QFile::encodeName(skipped.fileName).constData(),
                     skipped.message.toLocal8Bit().constData());
    TPicture picture;
    TBitmap out;
    try {
        LoadPicture(picture, args[1]);
        std::printf("%s\n", picture.Graphic()->ClassType().name);
        std::fflush(stdout);
        if (picture.Empty()) return fail(QStringLiteral("the picture is empty"));
        render(*picture.Graphic(), out);
    } catch (const ENubivuError& e) {
        return fail(e.message());
    }
    QFile file(args[2]);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("ファイル %1 は作成できません").arg(args[2]));
    out.SaveStream(file);
    return 0;
}
