#pragma once
// The registry that picks a picture class by a file name's extension. The
// application object owns one and hands it to everything that loads pictures.
#include "pictures/graphic.h"

#include <QString>
#include <functional>
#include <memory>
#include <shared_mutex>
#include <vector>

namespace nubivu {

class Picture;

// Makes an empty picture, ready to load.
using GraphicFactory = std::function<std::unique_ptr<Graphic>()>;

struct PictureFormat {
    QString extension; // lower case, no dot
    QString description;
    const GraphicClass* graphicClass;
    GraphicFactory create; // makes pictures of graphicClass; empty for an abstract class
};

class FormatRegistry {
public:
    // Holds the formats the program reads itself: WMF, EMF, icons, BMP and JPEG.
    FormatRegistry();
    FormatRegistry(const FormatRegistry&) = delete;
    FormatRegistry& operator=(const FormatRegistry&) = delete;

    // The latest entry for an extension wins. create makes its pictures where
    // they need more than the class's own (a plug-in picture needs the
    // plug-ins); without it, the class makes them.
    void add(const QString& extension, const QString& description, const GraphicClass& cls,
             GraphicFactory create = {});
    // Removes every entry whose class is cls or derives from it.
    void remove(const GraphicClass& cls);
    // Safe from a worker thread while the GUI thread adds or removes.
    const GraphicClass* find(const QString& extension) const;
    // For the GUI thread, which alone changes the list.
    const std::vector<PictureFormat>& entries() const { return entries_; }

    // A new picture of the class the extension names, loaded from the file;
    // raises, naming the file, when no class is registered or it cannot load
    // the file. Builds no window object, so it may run off the GUI thread.
    std::unique_ptr<Graphic> loadGraphic(const QString& fileName) const;
    // Replaces the picture's contents with the file, or raises and leaves them alone.
    void loadPicture(Picture& picture, const QString& fileName) const;

private:
    std::vector<PictureFormat> entries_;
    mutable std::shared_mutex mutex_;
};

// The extension as loadGraphic sees it: the text after the last ".", "\", "/"
// or ":" when that character is a dot, otherwise empty.
QString pictureExtension(const QString& fileName);

} // namespace nubivu
