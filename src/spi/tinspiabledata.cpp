#include "spi/tinspiabledata.h"

#include "spi/spimessages.h"
#include "spi/spioutput.h"
#include "spi/tspigraphic.h"
#include "spi/tspis.h"

#include <QBuffer>
#include <QFile>
#include <cmath>
#include <cstring>

namespace nubivu {

namespace {

QString fileNamePart(const QString& path) {
    const qsizetype separator =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(separator + 1);
}

} // namespace

TInSPIAbleData::TInSPIAbleData(TSPIGraphic* graphic, QString fileName)
    : fileName_(std::move(fileName)), encodedName_(QFile::encodeName(fileName_)),
      graphic_(graphic) {}

TInSPIAbleData::~TInSPIAbleData() { Clear(); }

void TInSPIAbleData::DoProgress(TProgressStage stage, quint8 percent, const QString& message) {
    if (OnProgress)
        OnProgress(graphic_, stage, percent, stage == TProgressStage::psEnding, QRect(0, 0, 0, 0),
                   message);
}

QList<TSPI*> TInSPIAbleData::FindLoaders() const {
    QList<TSPI*> list;
    const TSPIs* spis = TSPIs::ActiveSPIs();
    if (!spis) return list;
    if (spis->GraphicForcedLoader)
        list.append(spis->GraphicForcedLoader);
    else
        spis->ListPlugins({&TInSPI::StaticClass()}, list, fileName_);
    return list;
}

void TInSPIAbleData::Load() {
    // The whole job, so that the manager's list stays as it is while it is read.
    const auto lock = LockPluginCalls();
    const TSPIs* spis = TSPIs::ActiveSPIs();
    const bool macBinary = spis && spis->MacBinary;
    DoProgress(TProgressStage::psStarting, 0, QString::fromUtf8(msg::SpiLoadingGraphic));
    try {
        Clear();
        DoProgress(TProgressStage::psRunning, 1, QString::fromUtf8(msg::SpiSeeking));
        const QList<TSPI*> candidates = FindLoaders();
        char head[kHeadSize] = {};
        ReadHead(head, kHeadSize);
        bool decoded = false;
        for (TSPI* spi : candidates) {
            for (intptr_t offset : {intptr_t(0), intptr_t(128)}) {
                if (offset != 0 && !macBinary) break;
                DoProgress(TProgressStage::psRunning, 1,
                           QString::fromUtf8(msg::SpiLoadingBy).arg(fileNamePart(spi->FileName())));
                if (const std::optional<Source> source = SourceAt(offset))
                    TryPlugin(static_cast<TInSPI&>(*spi), head, offset, *source);
                if (!IsEmpty()) {
                    decoded = true;
                    break;
                }
                Clear();
            }
            if (decoded) break;
        }
    } catch (...) {
        DoProgress(TProgressStage::psEnding, 100, QString::fromUtf8(msg::SpiLoadedGraphic));
        throw;
    }
    DoProgress(TProgressStage::psEnding, 100, QString::fromUtf8(msg::SpiLoadedGraphic));
}

void TInSPIAbleData::TryPlugin(TInSPI& spi, const char* head, intptr_t offset,
                               const Source& source) {
    if (spi.IsSupported(encodedName_.constData(), reinterpret_cast<intptr_t>(head + offset)) == 0)
        return;
    ReadInfo(spi, source);
    const TSPIs* spis = TSPIs::ActiveSPIs();
    if (spis && spis->GraphicPreview) {
        ReadPreview(spi, source);
        if (IsEmpty()) ReadPicture(spi, source);
    } else {
        ReadPicture(spi, source);
    }
}

void TInSPIAbleData::ReadInfo(TInSPI& spi, const Source& source) {
    LocalFree(info_.text_info);
    std::memset(&info_, 0, sizeof info_);
    // The answer decides nothing: the picture call says whether it decodes.
    spi.GetPictureInfo(source.source, source.length, source.flag, &info_);
}

void TInSPIAbleData::ReadPreview(TInSPI& spi, const Source& source) {
    HLOCAL bitmapInfo = nullptr;
    HLOCAL bits = nullptr;
    int32_t result;
    callbackFailure_ = nullptr;
    try {
        result = spi.GetPreview(source.source, source.length, source.flag, &bitmapInfo, &bits,
                                &ProgressCallback, reinterpret_cast<intptr_t>(this));
    } catch (const ESPIInvalidAPI&) {
        return; // no preview: the full picture is asked next
    }
    if (result != 0) bitmapInfo = bits = nullptr;
    Accept(bitmapInfo, bits);
}

void TInSPIAbleData::ReadPicture(TInSPI& spi, const Source& source) {
    HLOCAL bitmapInfo = nullptr;
    HLOCAL bits = nullptr;
    callbackFailure_ = nullptr;
    const int32_t result =
        spi.GetPicture(source.source, source.length, source.flag, &bitmapInfo, &bits,
                       &ProgressCallback, reinterpret_cast<intptr_t>(this));
    if (result != 0) bitmapInfo = bits = nullptr;
    Accept(bitmapInfo, bits);
}

void TInSPIAbleData::Accept(HLOCAL bitmapInfo, HLOCAL bits) {
    // Handles handed over with success are ours to free, also when we refuse them.
    if (callbackFailure_ || ((bitmapInfo || bits) && !CheckPluginOutput(bitmapInfo, bits))) {
        LocalFree(bitmapInfo);
        LocalFree(bits);
        bitmapInfo = bits = nullptr;
    }
    bitmapInfoHandle_ = bitmapInfo;
    bitsHandle_ = bits;
    RaiseCallbackFailure();
}

void TInSPIAbleData::RaiseCallbackFailure() {
    if (!callbackFailure_) return;
    std::exception_ptr failure = std::exchange(callbackFailure_, nullptr);
    std::rethrow_exception(failure);
}

int32_t TInSPIAbleData::ProgressCallback(int32_t done, int32_t total, intptr_t data) noexcept {
    auto* job = reinterpret_cast<TInSPIAbleData*>(data);
    if (!job || !job->OnProgress) return 0;
    // The handler failed already: keep asking the plug-in to stop.
    if (job->callbackFailure_) return 1;
    // 2..99 while done runs up to total; the plug-in may count past it, hence the byte.
    const qint64 percent =
        total == 0 ? 1 : qint64(std::nearbyint(double(done) * 97.0 / double(total))) + 2;
    try {
        job->DoProgress(TProgressStage::psRunning, quint8(percent & 0xFF), QString());
    } catch (const EAbort&) {
        return 1;
    } catch (...) {
        // Never unwind through the plug-in's own frames: keep it for after the call.
        job->callbackFailure_ = std::current_exception();
        return 1;
    }
    return 0;
}

const uchar* TInSPIAbleData::BitmapInfo() {
    if (!bitmapInfo_) bitmapInfo_ = static_cast<const uchar*>(LocalLock(bitmapInfoHandle_));
    return bitmapInfo_;
}

const uchar* TInSPIAbleData::Bits() {
    if (!bits_) bits_ = static_cast<const uchar*>(LocalLock(bitsHandle_));
    return bits_;
}

void TInSPIAbleData::Clear() {
    if (bitmapInfo_) {
        LocalUnlock(bitmapInfoHandle_);
        bitmapInfo_ = nullptr;
    }
    if (bits_) {
        LocalUnlock(bitsHandle_);
        bits_ = nullptr;
    }
    LocalFree(std::exchange(bitmapInfoHandle_, nullptr));
    LocalFree(std::exchange(bitsHandle_, nullptr));
    // A packed field: read and written by value, never bound to a reference.
    const HLOCAL text = info_.text_info;
    info_.text_info = nullptr;
    LocalFree(text);
}

TInSPIAbleFromFile::TInSPIAbleFromFile(TSPIGraphic* graphic, const QString& fileName)
    : TInSPIAbleData(graphic, fileName) {}

void TInSPIAbleFromFile::ReadHead(char* buffer, qint64 length) {
    QFile file(FileName());
    if (file.open(QIODevice::ReadOnly)) file.read(buffer, length);
}

std::optional<TInSPIAbleData::Source> TInSPIAbleFromFile::SourceAt(intptr_t offset) const {
    return Source{EncodedName(), offset, SPI_SOURCE_FILE};
}

TInSPIAbleFromStream::TInSPIAbleFromStream(TSPIGraphic* graphic, const QString& fileName,
                                           QIODevice& stream)
    : TInSPIAbleData(graphic, fileName) {
    if (auto* buffer = qobject_cast<QBuffer*>(&stream)) {
        const QByteArray& bytes = buffer->data();
        memory_ = bytes.constData();
        size_ = bytes.size();
        return;
    }
    if (!stream.isSequential()) stream.seek(0);
    ownedCopy_ = stream.readAll();
    memory_ = ownedCopy_.constData();
    size_ = ownedCopy_.size();
}

void TInSPIAbleFromStream::ReadHead(char* buffer, qint64 length) {
    if (size_ > 0) std::memcpy(buffer, memory_, size_t(std::min(size_, length)));
}

std::optional<TInSPIAbleData::Source> TInSPIAbleFromStream::SourceAt(intptr_t offset) const {
    // Past the end there is nothing to hand over (a stream shorter than a MacBinary header).
    if (offset > size_) return std::nullopt;
    return Source{memory_ + offset, intptr_t(size_ - offset), SPI_SOURCE_MEMORY};
}

} // namespace nubivu
