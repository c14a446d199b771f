#pragma once
// One decoding job: reads the head of the data once, asks the candidate
// picture plug-ins in turn, and keeps the first decoded bitmap (a BITMAPINFO
// block and a pixel block, both local memory handles it owns).
#include "pictures/tgraphic.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <exception>
#include <optional>

#include "susieplugin.h"

class QIODevice;

namespace nubivu {

class TInSPI;
class TSPI;
class TSPIGraphic;

class TInSPIAbleData {
public:
    // Bytes read once from the head of the data: 2,048 for the plug-ins to
    // look at, plus 128 for data behind a MacBinary header.
    static constexpr int kHeadSize = 2048 + 128;

    TInSPIAbleData(TSPIGraphic* graphic, QString fileName);
    virtual ~TInSPIAbleData();
    TInSPIAbleData(const TInSPIAbleData&) = delete;
    TInSPIAbleData& operator=(const TInSPIAbleData&) = delete;

    void Load();
    bool IsEmpty() const { return !bitmapInfoHandle_ || !bitsHandle_; }
    // Locked on first use; the locks last until Clear.
    const uchar* BitmapInfo();
    const uchar* Bits();
    // Bytes in the BITMAPINFO block.
    size_t BitmapInfoSize() const { return LocalSize(bitmapInfoHandle_); }
    void Clear();

    const QString& FileName() const { return fileName_; }
    const SpiPictureInfo& Info() const { return info_; }
    TProgressEvent OnProgress;

    // Asked by plug-ins while they decode; data is the job.
    static int32_t ProgressCallback(int32_t done, int32_t total, intptr_t data) noexcept;

protected:
    struct Source {
        const char* source;
        intptr_t length;
        uint32_t flag;
    };
    // Copies up to length bytes from the start of the data.
    virtual void ReadHead(char* buffer, qint64 length) = 0;
    // What a plug-in is handed for the picture starting offset bytes in;
    // nothing when the data ends before that.
    virtual std::optional<Source> SourceAt(intptr_t offset) const = 0;
    const char* EncodedName() const { return encodedName_.constData(); }

private:
    QList<TSPI*> FindLoaders() const;
    void TryPlugin(TInSPI& spi, const char* head, intptr_t offset, const Source& source);
    void ReadInfo(TInSPI& spi, const Source& source);
    void ReadPreview(TInSPI& spi, const Source& source);
    void ReadPicture(TInSPI& spi, const Source& source);
    // Takes the handles of a successful call when they pass the checks.
    void Accept(HLOCAL bitmapInfo, HLOCAL bits);
    void DoProgress(TProgressStage stage, quint8 percent, const QString& message);
    void RaiseCallbackFailure();

    HLOCAL bitmapInfoHandle_ = nullptr;
    HLOCAL bitsHandle_ = nullptr;
    const uchar* bitmapInfo_ = nullptr;
    const uchar* bits_ = nullptr;
    QString fileName_;
    QByteArray encodedName_;
    SpiPictureInfo info_{};
    TSPIGraphic* graphic_;
    // A failure of the progress handler, kept until the plug-in has returned.
    std::exception_ptr callbackFailure_;
};

class TInSPIAbleFromFile : public TInSPIAbleData {
public:
    TInSPIAbleFromFile(TSPIGraphic* graphic, const QString& fileName);

protected:
    void ReadHead(char* buffer, qint64 length) override;
    std::optional<Source> SourceAt(intptr_t offset) const override;
};

// Works on the stream's whole content from its first byte: a QBuffer's own
// bytes in place, any other stream copied once.
class TInSPIAbleFromStream : public TInSPIAbleData {
public:
    TInSPIAbleFromStream(TSPIGraphic* graphic, const QString& fileName, QIODevice& stream);

protected:
    void ReadHead(char* buffer, qint64 length) override;
    std::optional<Source> SourceAt(intptr_t offset) const override;

private:
    QByteArray ownedCopy_;
    const char* memory_ = nullptr;
    qint64 size_ = 0;
};

} // namespace nubivu
