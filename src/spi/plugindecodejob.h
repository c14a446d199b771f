#pragma once
// One decoding job: reads the head of the data once, asks the candidate
// picture plug-ins in turn, and keeps the first decoded bitmap (a BITMAPINFO
// block and a pixel block, both local memory handles it owns).
#include "pictures/graphic.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <exception>
#include <optional>

#include "susieplugin.h"

class QIODevice;

namespace nubivu {

class ImportPlugin;
class Plugin;
class PluginGraphic;
class PluginManager;

class PluginDecodeJob {
public:
    // Bytes read once from the head of the data: 2,048 for the plug-ins to
    // look at, plus 128 for data behind a MacBinary header.
    static constexpr int kHeadSize = 2048 + 128;

    // Asks the plug-ins of plugins (none when null); progress hears how it goes.
    PluginDecodeJob(PluginGraphic* graphic, QString fileName, const PluginManager* plugins,
                    ProgressHandler progress);
    virtual ~PluginDecodeJob();
    PluginDecodeJob(const PluginDecodeJob&) = delete;
    PluginDecodeJob& operator=(const PluginDecodeJob&) = delete;

    void load();
    bool isEmpty() const { return !bitmapInfoHandle_ || !bitsHandle_; }
    // Locked on first use; the locks last until Clear.
    const uchar* bitmapInfo();
    const uchar* bits();
    // Bytes in the BITMAPINFO block.
    size_t bitmapInfoSize() const { return LocalSize(bitmapInfoHandle_); }
    void clear();

    const QString& fileName() const { return fileName_; }
    const SpiPictureInfo& info() const { return info_; }

    // Asked by plug-ins while they decode; data is the job.
    static int32_t progressCallback(int32_t done, int32_t total, intptr_t data) noexcept;

protected:
    struct Source {
        const char* source;
        intptr_t length;
        uint32_t flag;
    };
    // Copies up to length bytes from the start of the data.
    virtual void readHead(char* buffer, qint64 length) = 0;
    // What a plug-in is handed for the picture starting offset bytes in;
    // nothing when the data ends before that.
    virtual std::optional<Source> sourceAt(intptr_t offset) const = 0;
    const char* encodedName() const { return encodedName_.constData(); }

private:
    void tryPlugin(ImportPlugin& spi, const char* head, intptr_t offset, const Source& source);
    void readInfo(ImportPlugin& spi, const Source& source);
    void readPreview(ImportPlugin& spi, const Source& source);
    void readPicture(ImportPlugin& spi, const Source& source);
    // Takes the handles of a successful call when they pass the checks.
    void accept(HLOCAL bitmapInfo, HLOCAL bits);
    void doProgress(ProgressStage stage, quint8 percent, const QString& message);
    void raiseCallbackFailure();

    HLOCAL bitmapInfoHandle_ = nullptr;
    HLOCAL bitsHandle_ = nullptr;
    const uchar* bitmapInfo_ = nullptr;
    const uchar* bits_ = nullptr;
    QString fileName_;
    QByteArray encodedName_;
    SpiPictureInfo info_{};
    PluginGraphic* graphic_;
    const PluginManager* plugins_;
    ProgressHandler progress_;
    // A failure of the progress handler, kept until the plug-in has returned.
    std::exception_ptr callbackFailure_;
};

class FileDecodeJob : public PluginDecodeJob {
public:
    FileDecodeJob(PluginGraphic* graphic, const QString& fileName, const PluginManager* plugins,
                  ProgressHandler progress);

protected:
    void readHead(char* buffer, qint64 length) override;
    std::optional<Source> sourceAt(intptr_t offset) const override;
};

// Works on the stream's whole content from its first byte: a QBuffer's own
// bytes in place, any other stream copied once.
class StreamDecodeJob : public PluginDecodeJob {
public:
    StreamDecodeJob(PluginGraphic* graphic, const QString& fileName, QIODevice& stream,
                    const PluginManager* plugins, ProgressHandler progress);

protected:
    void readHead(char* buffer, qint64 length) override;
    std::optional<Source> sourceAt(intptr_t offset) const override;

private:
    QByteArray ownedCopy_;
    const char* memory_ = nullptr;
    qint64 size_ = 0;
};

} // namespace nubivu
