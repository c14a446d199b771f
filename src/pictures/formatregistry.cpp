#include "pictures/formatregistry.h"

#include "pictures/bitmap.h"
#include "pictures/graphicerrors.h"
#include "pictures/icon.h"
#include "pictures/metafile/metafile.h"
#include "pictures/picture.h"

#include <QRegularExpression>
#include <algorithm>
#include <mutex>

namespace nubivu {

FormatRegistry::FormatRegistry() {
    add(QStringLiteral("wmf"), QStringLiteral("メタファイル"), Metafile::staticClass());
    add(QStringLiteral("emf"), QStringLiteral("エンハンス メタファイル"), Metafile::staticClass());
    add(QStringLiteral("ico"), QStringLiteral("アイコン"), Icon::staticClass());
    add(QStringLiteral("bmp"), QStringLiteral("ビットマップ"), Bitmap::staticClass());
}

FormatRegistry& FormatRegistry::instance() {
    static FormatRegistry list;
    return list;
}

void FormatRegistry::add(const QString& extension, const QString& description,
                         const GraphicClass& cls) {
    const std::unique_lock lock(mutex_);
    entries_.push_back({extension.toLower(), description, &cls});
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

void registerPictureFormat(const QString& extension, const QString& description,
                           const GraphicClass& cls) {
    FormatRegistry::instance().add(extension, description, cls);
}

void unregisterPictureClass(const GraphicClass& cls) { FormatRegistry::instance().remove(cls); }

const GraphicClass* findPictureClass(const QString& extension) {
    return FormatRegistry::instance().find(extension);
}

QString pictureExtension(const QString& fileName) {
    const qsizetype at = fileName.lastIndexOf(QRegularExpression(QStringLiteral("[.\\\\/:]")));
    if (at < 0 || fileName.at(at) != QLatin1Char('.')) return {};
    return fileName.mid(at + 1);
}

std::unique_ptr<Graphic> loadGraphic(const QString& fileName, const ProgressHandler& progress) {
    return namingFile(fileName, [&] {
        const QString extension = pictureExtension(fileName);
        const GraphicClass* cls = findPictureClass(extension);
        if (!cls || !cls->create)
            throw EInvalidGraphic(QString::fromUtf8(msg::UnknownExtension).arg(extension));
        std::unique_ptr<Graphic> graphic = cls->create();
        graphic->setOnProgress(progress);
        graphic->loadFile(fileName);
        return graphic;
    });
}

void loadPicture(Picture& picture, const QString& fileName) {
    picture.setGraphic(loadGraphic(fileName, picture.onProgress()), fileName);
}

} // namespace nubivu
