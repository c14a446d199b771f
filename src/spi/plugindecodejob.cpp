#include "spi/plugindecodejob.h"

#include "spi/plugingraphic.h"
#include "spi/pluginmanager.h"
#include "spi/spimessages.h"
#include "spi/spioutput.h"

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

PluginDecodeJob::PluginDecodeJob(PluginGraphic* graphic, QString fileName,
                                 const PluginManager* plugins, ProgressHandler progress)
    : fileName_(std::move(fileName)), encodedName_(QFile::encodeName(fileName_)), graphic_(graphic),
      plugins_(plugins), progress_(std::move(progress)) {}

PluginDecodeJob::~PluginDecodeJob() { clear(); }

void PluginDecodeJob::doProgress(ProgressStage stage, quint8 percent, const QString& message) {
    if (progress_)
        progress_(graphic_, stage, percent, stage == ProgressStage::Ending, QRect(0, 0, 0, 0),
                  message);
}

void PluginDecodeJob::load() {
    // The whole job, so that the manager's list stays as it is while it is read.
    const auto lock = lockPluginCalls();
    const bool macBinary = plugins_ && plugins_->options().macBinary;
    doProgress(ProgressStage::Starting, 0, QString::fromUtf8(msg::SpiLoadingGraphic));
    try {
        clear();
        doProgress(ProgressStage::Running, 1, QString::fromUtf8(msg::SpiSeeking));
        const QList<Plugin*> candidates =
            plugins_ ? plugins_->loadersFor(fileName_) : QList<Plugin*>();
        char head[kHeadSize] = {};
        readHead(head, kHeadSize);
        bool decoded = false;
        for (Plugin* spi : candidates) {
            for (intptr_t offset : {intptr_t(0), intptr_t(128)}) {
                if (offset != 0 && !macBinary) break;
                doProgress(ProgressStage::Running, 1,
                           QString::fromUtf8(msg::SpiLoadingBy).arg(fileNamePart(spi->fileName())));
                if (const std::optional<Source> source = sourceAt(offset))
                    tryPlugin(static_cast<ImportPlugin&>(*spi), head, offset, *source);
                if (!isEmpty()) {
                    decoded = true;
                    break;
                }
                clear();
            }
            if (decoded) break;
        }
    } catch (...) {
        doProgress(ProgressStage::Ending, 100, QString::fromUtf8(msg::SpiLoadedGraphic));
        throw;
    }
    doProgress(ProgressStage::Ending, 100, QString::fromUtf8(msg::SpiLoadedGraphic));
}

void PluginDecodeJob::tryPlugin(ImportPlugin& spi, const char* head, intptr_t offset,
                                const Source& source) {
    if (spi.IsSupported(encodedName_.constData(), reinterpret_cast<intptr_t>(head + offset)) == 0)
        return;
    readInfo(spi, source);
    if (plugins_ && plugins_->options().preview) {
        readPreview(spi, source);
        if (isEmpty()) readPicture(spi, source);
    } else {
        readPicture(spi, source);
    }
}

void PluginDecodeJob::readInfo(ImportPlugin& spi, const Source& source) {
    LocalFree(info_.text_info);
    std::memset(&info_, 0, sizeof info_);
    // The answer decides nothing: the picture call says whether it decodes.
    spi.GetPictureInfo(source.source, source.length, source.flag, &info_);
}

void PluginDecodeJob::readPreview(ImportPlugin& spi, const Source& source) {
    HLOCAL bitmapInfo = nullptr;
    HLOCAL bits = nullptr;
    int32_t result;
    callbackFailure_ = nullptr;
    try {
        result = spi.GetPreview(source.source, source.length, source.flag, &bitmapInfo, &bits,
                                &progressCallback, reinterpret_cast<intptr_t>(this));
    } catch (const ESPIInvalidAPI&) {
        return; // no preview: the full picture is asked next
    }
    if (result != 0) bitmapInfo = bits = nullptr;
    accept(bitmapInfo, bits);
}

void PluginDecodeJob::readPicture(ImportPlugin& spi, const Source& source) {
    HLOCAL bitmapInfo = nullptr;
    HLOCAL bits = nullptr;
    callbackFailure_ = nullptr;
    const int32_t result =
        spi.GetPicture(source.source, source.length, source.flag, &bitmapInfo, &bits,
                       &progressCallback, reinterpret_cast<intptr_t>(this));
    if (result != 0) bitmapInfo = bits = nullptr;
    accept(bitmapInfo, bits);
}

void PluginDecodeJob::accept(HLOCAL bitmapInfo, HLOCAL bits) {
    // Handles handed over with success are ours to free, also when we refuse them.
    if (callbackFailure_ || ((bitmapInfo || bits) && !checkPluginOutput(bitmapInfo, bits))) {
        LocalFree(bitmapInfo);
        LocalFree(bits);
        bitmapInfo = bits = nullptr;
    }
    bitmapInfoHandle_ = bitmapInfo;
    bitsHandle_ = bits;
    raiseCallbackFailure();
}

void PluginDecodeJob::raiseCallbackFailure() {
    if (!callbackFailure_) return;
    std::exception_ptr failure = std::exchange(callbackFailure_, nullptr);
    std::rethrow_exception(failure);
}

int32_t PluginDecodeJob::progressCallback(int32_t done, int32_t total, intptr_t data) noexcept {
    auto* job = reinterpret_cast<PluginDecodeJob*>(data);
    if (!job || !job->progress_) return 0;
    // The handler failed already: keep asking the plug-in to stop.
    if (job->callbackFailure_) return 1;
    // 2..99 while done runs up to total; the plug-in may count past it, hence the byte.
    const qint64 percent =
        total == 0 ? 1 : qint64(std::nearbyint(double(done) * 97.0 / double(total))) + 2;
    try {
        job->doProgress(ProgressStage::Running, quint8(percent & 0xFF), QString());
    } catch (const EAbort&) {
        return 1;
    } catch (...) {
        // Never unwind through the plug-in's own frames: keep it for after the call.
        job->callbackFailure_ = std::current_exception();
        return 1;
    }
    return 0;
}

const uchar* PluginDecodeJob::bitmapInfo() {
    if (!bitmapInfo_) bitmapInfo_ = static_cast<const uchar*>(LocalLock(bitmapInfoHandle_));
    return bitmapInfo_;
}

const uchar* PluginDecodeJob::bits() {
    if (!bits_) bits_ = static_cast<const uchar*>(LocalLock(bitsHandle_));
    return bits_;
}

void PluginDecodeJob::clear() {
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

FileDecodeJob::FileDecodeJob(PluginGraphic* graphic, const QString& fileName,
                             const PluginManager* plugins, ProgressHandler progress)
    : PluginDecodeJob(graphic, fileName, plugins, std::move(progress)) {}

void FileDecodeJob::readHead(char* buffer, qint64 length) {
    QFile file(fileName());
    if (file.open(QIODevice::ReadOnly)) file.read(buffer, length);
}

std::optional<PluginDecodeJob::Source> FileDecodeJob::sourceAt(intptr_t offset) const {
    return Source{encodedName(), offset, SPI_SOURCE_FILE};
}

StreamDecodeJob::StreamDecodeJob(PluginGraphic* graphic, const QString& fileName, QIODevice& stream,
                                 const PluginManager* plugins, ProgressHandler progress)
    : PluginDecodeJob(graphic, fileName, plugins, std::move(progress)) {
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

void StreamDecodeJob::readHead(char* buffer, qint64 length) {
    if (size_ > 0) std::memcpy(buffer, memory_, size_t(std::min(size_, length)));
}

std::optional<PluginDecodeJob::Source> StreamDecodeJob::sourceAt(intptr_t offset) const {
    // Past the end there is nothing to hand over (a stream shorter than a MacBinary header).
    if (offset > size_) return std::nullopt;
    return Source{memory_ + offset, intptr_t(size_ - offset), SPI_SOURCE_MEMORY};
}

} // namespace nubivu
