#pragma once
// The one registry that picks a picture class by a file name's extension.
#include "pictures/tgraphic.h"

#include <QString>
#include <shared_mutex>
#include <vector>

namespace nubivu {

class TPicture;

struct TFileFormat {
    QString extension; // lower case, no dot
    QString description;
    const TGraphicClass* graphicClass;
};

class TFileFormatsList {
public:
    // The process-wide list, with the built-in formats added on first use.
    static TFileFormatsList& Instance();

    void Add(const QString& extension, const QString& description, const TGraphicClass& cls);
    void Remove(const TGraphicClass& cls);
    // Safe from a worker thread while the GUI thread adds or removes.
    const TGraphicClass* Find(const QString& extension) const;
    // For the GUI thread, which alone changes the list.
    const std::vector<TFileFormat>& Entries() const { return entries_; }

private:
    TFileFormatsList();
    std::vector<TFileFormat> entries_;
    mutable std::shared_mutex mutex_;
};

void RegisterPictureFormat(const QString& extension, const QString& description,
                           const TGraphicClass& cls);
// Removes every entry whose class is cls or derives from it.
void UnregisterPictureClass(const TGraphicClass& cls);
const TGraphicClass* FindPictureClass(const QString& extension);

// The extension as LoadPicture sees it: the text after the last ".", "\", "/"
// or ":" when that character is a dot, otherwise empty.
QString PictureExtension(const QString& fileName);

// Replaces the picture's contents with the file, or raises and leaves them alone.
void LoadPicture(TPicture& picture, const QString& fileName);
// A new picture of the class the extension names, loaded from the file; raises
// as LoadPicture does. Builds no window object, so it may run off the GUI thread.
std::unique_ptr<TGraphic> LoadGraphic(const QString& fileName, const TProgressEvent& progress = {});

} // namespace nubivu
