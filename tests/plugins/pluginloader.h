#pragma once
// A small loader for the shipped decoder plug-ins: opens a .spi with dlopen,
// calls its entry points and turns what GetPicture hands back into a QImage,
// checking the handles' sizes before reading them.
#include "susieplugin.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <functional>

namespace nubivu::test {

struct Decoded {
    int result = -100;
    int bitCount = 0;
    QImage image; // ARGB32, straight alpha; null unless result is 0
};

class PluginLoader {
public:
    explicit PluginLoader(const QString& name); // "ifpng": from the program's folder
    ~PluginLoader();
    PluginLoader(const PluginLoader&) = delete;
    PluginLoader& operator=(const PluginLoader&) = delete;

    bool loaded() const { return handle != nullptr; }
    QString error() const { return lastError; }

    QString text(int infono) const;
    bool claims(const QByteArray& head) const; // IsSupported on a zero-padded probe buffer
    int info(const QByteArray& data, SpiPictureInfo& info) const;
    Decoded decode(const QByteArray& data) const; // from memory
    Decoded decodeFile(const QString& path, qintptr offset) const;
    int preview(const QByteArray& data) const; // GetPreview's answer; no handles expected
    // Calls `progress(done, total)` for every callback; its answer goes back.
    Decoded decode(const QByteArray& data, const std::function<int(int, int)>& progress) const;

private:
    Decoded run(const char* source, intptr_t len, uint32_t flag,
                const std::function<int(int, int)>* progress) const;

    void* handle = nullptr;
    QString lastError;
    SpiGetPluginInfoFn getPluginInfo = nullptr;
    SpiIsSupportedFn isSupported = nullptr;
    SpiGetPictureInfoFn getPictureInfo = nullptr;
    SpiGetPictureFn getPicture = nullptr;
    SpiGetPreviewFn getPreview = nullptr;
};

// The picture a BITMAPINFO block and its pixel block describe, or a null image
// when the blocks do not fit together.
QImage imageFromDib(HLOCAL info, HLOCAL bits, int* bitCount);

// Largest difference of any channel between two pictures of the same size,
// compared premultiplied (colours under full transparency do not count);
// -1 when the sizes differ.
int maxDifference(const QImage& a, const QImage& b);

} // namespace nubivu::test
