#pragma once
// Picture fixtures for window tests: a picture class of the tests' own, added
// under the extension "tpx" (a PNG inside) to the windows' registry, so that
// panes load through the real registry whatever readers the program has. Each
// picture gets its own width, which tells in a test which file a pane shows.
#include "datalist/datalist.h"
#include "pictures/bitmap.h"
#include "pictures/formatregistry.h"
#include "pictures/graphicerrors.h"

#include <QBuffer>
#include <QFile>
#include <QIODevice>
#include <QImage>
#include <vector>

namespace nubivu::test {

class TestPicture : public Bitmap {
public:
    static const GraphicClass& staticClass() {
        static const GraphicClass cls{
            "TestPicture", &Bitmap::staticClass(),
            []() -> std::unique_ptr<Graphic> { return std::make_unique<TestPicture>(); }};
        return cls;
    }
    const GraphicClass& classType() const override { return staticClass(); }
    void loadStream(QIODevice& stream) override {
        QImage image;
        if (!image.loadFromData(stream.readAll(), "PNG"))
            throw EInvalidGraphic(QStringLiteral("not a test picture"));
        setImage(image.convertToFormat(QImage::Format_RGB32));
    }
};

inline void addTestPictureFormat(FormatRegistry& formats) {
    formats.add(QStringLiteral("tpx"), QStringLiteral("test picture"), TestPicture::staticClass());
}

// A width x 8 picture of one colour at path; returns the path.
inline QString writeTestPicture(const QString& path, int width, QRgb colour = 0xff3366cc) {
    QImage image(width, 8, QImage::Format_RGB32);
    image.fill(colour);
    image.save(path, "PNG");
    return path;
}

// Bytes that no picture class accepts.
inline QString writeGarbage(const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write("not a picture at all");
    return path;
}

// A 64 x 48 JPEG whose header reads and whose data fails after the scan (a
// second frame header follows it); its sound twin when broken is false.
inline QByteArray jpegBytes(bool broken) {
    QImage pattern(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) pattern.setPixel(x, y, qRgb(x * 4, y * 5, (x ^ y) * 3));
    QByteArray sound;
    QBuffer buffer(&sound);
    buffer.open(QIODevice::WriteOnly);
    pattern.save(&buffer, "JPG");
    if (!broken) return sound;
    QByteArray bytes = sound;
    const qsizetype sof = sound.indexOf("\xFF\xC0");
    if (sof < 0) return {};
    const int length = uchar(sound[sof + 2]) << 8 | uchar(sound[sof + 3]);
    bytes.insert(bytes.size() - 2, sound.mid(sof, 2 + length));
    return bytes;
}

inline QString writeJpegWithDataError(const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(jpegBytes(true));
    return path;
}

// Replaces the list's rows by these.
inline void setRows(DataList& list, const std::vector<SlotPaths>& rows) {
    list.clear();
    list.appendRows(rows);
}

} // namespace nubivu::test
