#include "pictures/formatregistry.h"

#include "pictures/bitmap.h"
#include "pictures/graphicerrors.h"
#include "pictures/icon.h"
#include "pictures/jpegimage.h"
#include "pictures/metafile/metafile.h"
#include "pictures/picture.h"

#include <algorithm>
#include <mutex>

namespace nubivu {

FormatRegistry::FormatRegistry() {
    add(QStringLiteral("wmf"), QStringLiteral("メタファイル"), Metafile::staticClass());
    add(QStringLiteral("emf"), QStringLiteral("エンハンス メタファイル"), Metafile::staticClass());
    add(QStringLiteral("ico"), QStringLiteral("アイコン"), Icon::staticClass());
    add(QStringLiteral("bmp"), QStringLiteral("ビットマップ"), Bitmap::staticClass());
    const QString jpeg = QStringLiteral("JPEG イメージファイル");
    add(QStringLiteral("jpeg"), jpeg, JpegImage::staticClass());
    add(QStringLiteral("jpg"), jpeg, JpegImage::staticClass());
}

void FormatRegistry::add(const QString& extension, const QString& description,
                         const GraphicClass& cls, GraphicFactory create) {
    if (!create && cls.create) create = cls.create;
    const std::unique_lock lock(mutex_);
    entries_.push_back({extension.toLower(), description, &cls, std::move(create)});
}

void FormatRegistry::remove(const GraphicClass& cls) {
    const std::unique_lock lock(mutex_);
    std::erase_if(entries_,
                  [&](const PictureFormat& f) { return f.graphicClass->inheritsFrom(cls); });
}

const GraphicClass* FormatRegistry::find(const QString& extension) const {
    const QString key = extension.toLower();
    const std::shared_lock lock(mutex_);
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        if (it->extension == key) return it->graphicClass;
    return nullptr;
}

QString pictureExtension(const QString& fileName) {
    // A loop, not a pattern: a folder of pictures asks this for every file.
    for (qsizetype at = fileName.size(); at-- > 0;) {
        const QChar c = fileName.at(at);
        if (c == u'.') return fileName.mid(at + 1);
        if (c == u'\\' || c == u'/' || c == u':') return {};
    }
    return {};
}

std::unique_ptr<Graphic> FormatRegistry::loadGraphic(const QString& fileName) const {
    return namingFile(fileName, [&] {
        const QString extension = pictureExtension(fileName);
        const QString key = extension.toLower();
        GraphicFactory create;
        {
            const std::shared_lock lock(mutex_);
            const auto it =
                std::find_if(entries_.rbegin(), entries_.rend(),
                             [&](const PictureFormat& f) { return f.extension == key; });
            if (it != entries_.rend()) create = it->create;
        }
        if (!create) throw EInvalidGraphic(QString::fromUtf8(msg::UnknownExtension).arg(extension));
        std::unique_ptr<Graphic> graphic = create();
        graphic->loadFile(fileName);
        return graphic;
    });
}

void FormatRegistry::loadPicture(Picture& picture, const QString& fileName) const {
    picture.setGraphic(loadGraphic(fileName), fileName);
}

} // namespace nubivu
