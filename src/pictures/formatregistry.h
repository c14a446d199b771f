#pragma once
// The one registry that picks a picture class by a file name's extension.
#include "pictures/graphic.h"

#include <QString>
#include <shared_mutex>
#include <vector>

namespace nubivu {

class Picture;

struct PictureFormat {
    QString extension; // lower case, no dot
    QString description;
    const GraphicClass* graphicClass;
};

class FormatRegistry {
public:
    // The process-wide list, with the built-in formats added on first use.
    static FormatRegistry& instance();

    void add(const QString& extension, const QString& description, const GraphicClass& cls);
    void remove(const GraphicClass& cls);
    // Safe from a worker thread while the GUI thread adds or removes.
    const GraphicClass* find(const QString& extension) const;
    // For the GUI thread, which alone changes the list.
    const std::vector<PictureFormat>& entries() const { return entries_; }

private:
    FormatRegistry();
    std::vector<PictureFormat> entries_;
    mutable std::shared_mutex mutex_;
};

void registerPictureFormat(const QString& extension, const QString& description,
                           const GraphicClass& cls);
// Removes every entry whose class is cls or derives from it.
void unregisterPictureClass(const GraphicClass& cls);
const GraphicClass* findPictureClass(const QString& extension);

// The extension as loadPicture sees it: the text after the last ".", "\", "/"
// or ":" when that character is a dot, otherwise empty.
QString pictureExtension(const QString& fileName);

// Replaces the picture's contents with the file, or raises and leaves them alone.
void loadPicture(Picture& picture, const QString& fileName);
// A new picture of the class the extension names, loaded from the file; raises
// as loadPicture does. Builds no window object, so it may run off the GUI thread.
std::unique_ptr<Graphic> loadGraphic(const QString& fileName, const ProgressHandler& progress = {});

} // namespace nubivu
