#include "pluginloader.h"

#include <QFile>
#include <cstring>
#include <dlfcn.h>

namespace nubivu::test {

namespace {

template <typename Fn> Fn resolve(void* handle, const char* name) {
    return reinterpret_cast<Fn>(dlsym(handle, name));
}

quint32 le32(const uchar* p) {
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

int32_t progressThunk(int32_t done, int32_t total, intptr_t data) {
    const auto* fn = reinterpret_cast<const std::function<int(int, int)>*>(data);
    return (*fn)(done, total);
}

} // namespace

PluginLoader::PluginLoader(const QString& name) {
    const QByteArray path =
        QFile::encodeName(QStringLiteral(NUBIVU_RUNTIME_DIR "/") + name + QStringLiteral(".spi"));
    handle = dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        lastError = QString::fromLocal8Bit(dlerror());
        return;
    }
    getPluginInfo = resolve<SpiGetPluginInfoFn>(handle, "GetPluginInfo");
    isSupported = resolve<SpiIsSupportedFn>(handle, "IsSupported");
    getPictureInfo = resolve<SpiGetPictureInfoFn>(handle, "GetPictureInfo");
    getPicture = resolve<SpiGetPictureFn>(handle, "GetPicture");
    getPreview = resolve<SpiGetPreviewFn>(handle, "GetPreview");
    if (!getPluginInfo || !isSupported || !getPictureInfo || !getPicture || !getPreview) {
        lastError = QStringLiteral("missing entry point in ") + name;
        dlclose(handle);
        handle = nullptr;
    }
}

PluginLoader::~PluginLoader() {
    if (handle) dlclose(handle);
}

QString PluginLoader::text(int infono) const {
    char buffer[256];
    std::memset(buffer, 0x55, sizeof buffer);
    const int n = getPluginInfo(infono, buffer, 255);
    if (n <= 0) return QString();
    return QString::fromUtf8(buffer, int(strnlen(buffer, sizeof buffer)));
}

bool PluginLoader::claims(const QByteArray& head) const {
    QByteArray probe = head.left(SPI_PROBE_SIZE);
    probe.append(QByteArray(SPI_PROBE_SIZE - probe.size(), '\0'));
    return isSupported("picture.unknown", reinterpret_cast<intptr_t>(probe.constData())) != 0;
}

int PluginLoader::info(const QByteArray& data, SpiPictureInfo& info) const {
    return getPictureInfo(data.constData(), data.size(), SPI_SOURCE_MEMORY, &info);
}

Decoded PluginLoader::decode(const QByteArray& data) const {
    return run(data.constData(), data.size(), SPI_SOURCE_MEMORY, nullptr);
}

Decoded PluginLoader::decode(const QByteArray& data,
                             const std::function<int(int, int)>& progress) const {
    return run(data.constData(), data.size(), SPI_SOURCE_MEMORY, &progress);
}

Decoded PluginLoader::decodeFile(const QString& path, qintptr offset) const {
    const QByteArray name = QFile::encodeName(path);
    return run(name.constData(), offset, SPI_SOURCE_FILE, nullptr);
}

int PluginLoader::preview(const QByteArray& data) const {
    HLOCAL info = nullptr, bits = nullptr;
    const int result =
        getPreview(data.constData(), data.size(), SPI_SOURCE_MEMORY, &info, &bits, nullptr, 0);
    if (result == SPI_ALL_RIGHT) {
        LocalFree(info);
        LocalFree(bits);
    }
    return result;
}

Decoded PluginLoader::run(const char* source, intptr_t len, uint32_t flag,
                          const std::function<int(int, int)>* progress) const {
    Decoded out;
    HLOCAL info = reinterpret_cast<HLOCAL>(0x1);
    HLOCAL bits = reinterpret_cast<HLOCAL>(0x1);
    out.result = getPicture(source, len, flag, &info, &bits, progress ? progressThunk : nullptr,
                            reinterpret_cast<intptr_t>(progress));
    if (out.result != SPI_ALL_RIGHT) return out;
    out.image = imageFromDib(info, bits, &out.bitCount);
    LocalFree(info);
    LocalFree(bits);
    return out;
}

QImage imageFromDib(HLOCAL info, HLOCAL bits, int* bitCount) {
    const size_t infoSize = LocalSize(info);
    const size_t bitsSize = LocalSize(bits);
    if (infoSize < 40) return QImage();
    const auto* header = static_cast<const uchar*>(LocalLock(info));
    const auto* pixels = static_cast<const uchar*>(LocalLock(bits));
    QImage image;
    const int width = int(le32(header + 4));
    const int height = int(le32(header + 8));
    const int depth = header[14] | header[15] << 8;
    const quint32 used = le32(header + 32);
    const quint32 colors = depth <= 8 ? (used ? used : 1u << depth) : 0;
    const qint64 stride = ((qint64(width) * depth + 31) / 32) * 4;
    *bitCount = depth;
    // The host's rule: a 32-bit picture has alpha only when a BITMAPV4/V5
    // header with BI_BITFIELDS gives it a mask.
    const quint32 headerSize = le32(header);
    const quint32 compression = le32(header + 16);
    const bool alpha = depth == 32 && compression == 3 && headerSize >= 108 &&
                       infoSize >= headerSize && le32(header + 40) == 0xFF0000 &&
                       le32(header + 44) == 0xFF00 && le32(header + 48) == 0xFF &&
                       le32(header + 52) == 0xFF000000u;
    if ((headerSize == 40 || alpha) && width > 0 && height > 0 && (compression == 0 || alpha) &&
        headerSize + colors * 4 <= infoSize && quint64(stride) * quint64(height) <= bitsSize &&
        (depth == 1 || depth == 4 || depth == 8 || depth == 24 || depth == 32)) {
        image = QImage(width, height, QImage::Format_ARGB32);
        const uchar* table = header + headerSize;
        for (int y = 0; y < height; ++y) {
            const uchar* row = pixels + (height - 1 - y) * stride;
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                quint32 index = 0;
                switch (depth) {
                case 1: index = (row[x / 8] >> (7 - x % 8)) & 1; break;
                case 4: index = (row[x / 2] >> (x % 2 ? 0 : 4)) & 15; break;
                case 8: index = row[x]; break;
                case 24: out[x] = qRgb(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]); continue;
                default:
                    out[x] = qRgba(row[x * 4 + 2], row[x * 4 + 1], row[x * 4],
                                   alpha ? row[x * 4 + 3] : 255);
                    continue;
                }
                out[x] = index < colors
                             ? qRgb(table[index * 4 + 2], table[index * 4 + 1], table[index * 4])
                             : qRgb(0, 0, 0);
            }
        }
    }
    LocalUnlock(info);
    LocalUnlock(bits);
    return image;
}

int maxDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    const QImage pa = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage pb = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int worst = 0;
    for (int y = 0; y < pa.height(); ++y) {
        const auto* ra = reinterpret_cast<const QRgb*>(pa.constScanLine(y));
        const auto* rb = reinterpret_cast<const QRgb*>(pb.constScanLine(y));
        for (int x = 0; x < pa.width(); ++x) {
            worst = std::max({worst, std::abs(qRed(ra[x]) - qRed(rb[x])),
                              std::abs(qGreen(ra[x]) - qGreen(rb[x])),
                              std::abs(qBlue(ra[x]) - qBlue(rb[x])),
                              std::abs(qAlpha(ra[x]) - qAlpha(rb[x]))});
        }
    }
    return worst;
}

} // namespace nubivu::test
