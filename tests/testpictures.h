#pragma once
// Picture fixtures for window tests: a picture class of the tests' own,
// registered under the extension "tpx" (a PNG inside), so that panes load
// through the real registry whatever readers the program has. Each picture
// gets its own width, which tells in a test which file a pane shows.
#include "datalist/datalist.h"
#include "pictures/fileformats.h"
#include "pictures/graphicerrors.h"
#include "pictures/tbitmap.h"

#include <QFile>
#include <QIODevice>
#include <QImage>
#include <vector>

namespace nubivu::test {

class TestPicture : public TBitmap {
public:
    static const TGraphicClass& StaticClass() {
        static const TGraphicClass cls{
            "TestPicture", &TBitmap::StaticClass(),
            []() -> std::unique_ptr<TGraphic> { return std::make_unique<TestPicture>(); }};
        return cls;
    }
    const TGraphicClass& ClassType() const override { return StaticClass(); }
    void LoadStream(QIODevice& stream) override {
        QImage image;
        if (!image.loadFromData(stream.readAll(), "PNG"))
            throw EInvalidGraphic(QStringLiteral("not a test picture"));
        SetImage(image.convertToFormat(QImage::Format_RGB32));
    }
};

// Registered for as long as it lives.
struct TestPictureFormat {
    TestPictureFormat() {
        RegisterPictureFormat(QStringLiteral("tpx"), QStringLiteral("test picture"),
                              TestPicture::StaticClass());
    }
    ~TestPictureFormat() { UnregisterPictureClass(TestPicture::StaticClass()); }
};

// A width x 8 picture of one colour at path; returns the path.
inline QString WriteTestPicture(const QString& path, int width, QRgb colour = 0xff3366cc) {
    QImage image(width, 8, QImage::Format_RGB32);
    image.fill(colour);
    image.save(path, "PNG");
    return path;
}

// Bytes that no picture class accepts.
inline QString WriteGarbage(const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write("not a picture at all");
    return path;
}

// Replaces the list's rows by these, numbered as the editor numbers them.
inline void SetRows(DataList& list, const std::vector<SlotPaths>& rows) {
    list.SetRowCount(2);
    for (const SlotPaths& row : rows) {
        list.AppendNumberedRow();
        list.SetPaths(list.RowCount() - 2, row);
    }
}

} // namespace nubivu::test
