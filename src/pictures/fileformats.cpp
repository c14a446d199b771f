#include "pictures/fileformats.h"

#include "pictures/graphicerrors.h"
#include "pictures/metafile/tmetafile.h"
#include "pictures/tbitmap.h"
#include "pictures/ticon.h"
#include "pictures/tpicture.h"

#include <QRegularExpression>
#include <algorithm>
#include <mutex>

namespace nubivu {

TFileFormatsList::TFileFormatsList() {
    Add(QStringLiteral("wmf"), QStringLiteral("メタファイル"), TMetafile::StaticClass());
    Add(QStringLiteral("emf"), QStringLiteral("エンハンス メタファイル"), TMetafile::StaticClass());
    Add(QStringLiteral("ico"), QStringLiteral("アイコン"), TIcon::StaticClass());
    Add(QStringLiteral("bmp"), QStringLiteral("ビットマップ"), TBitmap::StaticClass());
}

TFileFormatsList& TFileFormatsList::Instance() {
    static TFileFormatsList list;
    return list;
}

void TFileFormatsList::Add(const QString& extension, const QString& description,
                           const TGraphicClass& cls) {
    const std::unique_lock lock(mutex_);
    entries_.push_back({extension.toLower(), description, &cls});
}

void TFileFormatsList::Remove(const TGraphicClass& cls) {
    const std::unique_lock lock(mutex_);
    std::erase_if(entries_,
                  [&](const TFileFormat& f) { return f.graphicClass->InheritsFrom(cls); });
}

const TGraphicClass* TFileFormatsList::Find(const QString& extension) const {
    const QString key = extension.toLower();
    const std::shared_lock lock(mutex_);
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        if (it->extension == key) return it->graphicClass;
    return nullptr;
}

void RegisterPictureFormat(const QString& extension, const QString& description,
                           const TGraphicClass& cls) {
    TFileFormatsList::Instance().Add(extension, description, cls);
}

void UnregisterPictureClass(const TGraphicClass& cls) { TFileFormatsList::Instance().Remove(cls); }

const TGraphicClass* FindPictureClass(const QString& extension) {
    return TFileFormatsList::Instance().Find(extension);
}

QString PictureExtension(const QString& fileName) {
    const qsizetype at = fileName.lastIndexOf(QRegularExpression(QStringLiteral("[.\\\\/:]")));
    if (at < 0 || fileName.at(at) != QLatin1Char('.')) return {};
    return fileName.mid(at + 1);
}

std::unique_ptr<TGraphic> LoadGraphic(const QString& fileName, const TProgressEvent& progress) {
    return NamingFile(fileName, [&] {
        const QString extension = PictureExtension(fileName);
        const TGraphicClass* cls = FindPictureClass(extension);
        if (!cls || !cls->create)
            throw EInvalidGraphic(QString::fromUtf8(msg::UnknownExtension).arg(extension));
        std::unique_ptr<TGraphic> graphic = cls->create();
        graphic->SetOnProgress(progress);
        graphic->LoadFile(fileName);
        return graphic;
    });
}

void LoadPicture(TPicture& picture, const QString& fileName) {
    picture.SetGraphic(LoadGraphic(fileName, picture.OnProgress()), fileName);
}

} // namespace nubivu
