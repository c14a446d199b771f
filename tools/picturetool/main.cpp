// nubivu-picture FILE OUT.bmp
//
// Loads FILE through the same picture registry and plug-ins as the program's panes, prints
// the picture class that read it, and writes what a pane shows at the
// picture's own size as a BMP: 8 bits (or fewer) with the palette where the
// picture has one, 24 bits otherwise. On failure prints the message the
// program would show and exits with 1.
#include "core/errors.h"
#include "pictures/bitmap.h"
#include "pictures/formatregistry.h"
#include "pictures/jpegimage.h"
#include "pictures/picture.h"
#include "spi/pluginmanager.h"

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
void render(Graphic& graphic, Bitmap& out) {
    if (auto* jpeg = dynamic_cast<JpegImage*>(&graphic)) {
        out.copyFrom(jpeg->bitmap());
        return;
    }
    if (auto* bitmap = dynamic_cast<Bitmap*>(&graphic);
        bitmap && bitmap->image().format() == QImage::Format_Indexed8) {
        out.copyFrom(*bitmap);
        return;
    }
    QImage image(graphic.width(), graphic.height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    graphic.drawInto(painter, image.rect());
    painter.end();
    out.setImage(image);
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
    FormatRegistry formats;
    // The plug-ins as the program finds them: in the Susie folder and this
    // program's folder, the manager's own choice.
    PluginManagerOptions options;
    options.searchAtStart = true;
    options.skipFaultyLibraries = true;
    const PluginManager plugins(formats, options);
    for (const SkippedPlugin& skipped : plugins.skippedPlugins())
        std::fprintf(stderr, "skipped %s: %s\n", QFile::encodeName(skipped.fileName).constData(),
                     skipped.message.toLocal8Bit().constData());
    Picture picture;
    Bitmap out;
    try {
        formats.loadPicture(picture, args[1]);
        std::printf("%s\n", picture.graphic()->classType().name);
        std::fflush(stdout);
        if (picture.empty()) return fail(QStringLiteral("the picture is empty"));
        render(*picture.graphic(), out);
    } catch (const ENubivuError& e) {
        return fail(e.message());
    }
    QFile file(args[2]);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("ファイル %1 は作成できません").arg(args[2]));
    out.saveStream(file);
    return 0;
}
