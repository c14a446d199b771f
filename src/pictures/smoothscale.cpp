#include "pictures/smoothscale.h"

#include "pictures/picturememory.h"

#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace nubivu {

namespace {

// Where a result pixel's centre falls in the source: the left or upper one
// of the two source pixels around it and the weight of the other, 0..256.
struct Tap {
    int index;
    int weight;
};

std::vector<Tap> taps(int sourceLength, int length) {
    std::vector<Tap> out(size_t(length), Tap{});
    for (int i = 0; i < length; ++i) {
        // (i + 0.5) * source / length - 0.5, in 1/256ths of a pixel.
        const int64_t at = (int64_t(2 * i + 1) * sourceLength * 256) / (int64_t(2) * length) - 128;
        Tap& t = out[size_t(i)];
        if (at <= 0) continue; // the first pixel, whole
        t = {int(at >> 8), int(at & 255)};
        if (t.index >= sourceLength - 1) t = {sourceLength - 2, 256}; // the last, whole
    }
    return out;
}

#if defined(__SSE2__)

// Asks for the rows first .. last of source to be read into the cache, so
// that they come from memory while the rows before are worked out.
void prefetchRows(const QImage& source, int first, int last) {
    for (int r = first; r <= last; ++r) {
        const char* line = reinterpret_cast<const char*>(source.constScanLine(r));
        for (qsizetype at = 0; at < source.bytesPerLine(); at += 64)
            _mm_prefetch(line + at, _MM_HINT_T0);
    }
}

// A tap's two weights in 1/32768ths (a whole one still fits 16 bits), each
// for the four channels of its pixel.
struct alignas(16) TapWeights {
    int16_t lanes[8];
};

// One row of the result: each pixel weighed from two source rows, upper
// weight (256 - lower) and lower weight in 1/256ths.
void bilinearRow(const uint32_t* upper, const uint32_t* lower, int lowerWeight,
                 const std::vector<Tap>& across, const std::vector<TapWeights>& acrossWeights,
                 uint32_t* out) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i upperWeight = _mm_set1_epi16(short(256 - lowerWeight));
    const __m128i lowerWeight16 = _mm_set1_epi16(short(lowerWeight));
    const __m128i half = _mm_set1_epi16(64);
    // The left and right pixel weighed down the rows (256 times the value),
    // then across: 128 times the value, in the lower four lanes.
    auto pixel = [&](int x) {
        const size_t at = size_t(across[size_t(x)].index);
        const __m128i u =
            _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(upper + at)), zero);
        const __m128i l =
            _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(lower + at)), zero);
        const __m128i down =
            _mm_add_epi16(_mm_mullo_epi16(u, upperWeight), _mm_mullo_epi16(l, lowerWeight16));
        const __m128i weighed = _mm_mulhi_epu16(
            down, _mm_load_si128(reinterpret_cast<const __m128i*>(acrossWeights[size_t(x)].lanes)));
        return _mm_add_epi16(weighed, _mm_srli_si128(weighed, 8));
    };
    const int width = int(across.size());
    int x = 0;
    for (; x + 1 < width; x += 2) {
        __m128i two = _mm_unpacklo_epi64(pixel(x), pixel(x + 1));
        two = _mm_srli_epi16(_mm_add_epi16(two, half), 7);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(two, two));
    }
    if (x < width) {
        const __m128i one = _mm_srli_epi16(_mm_add_epi16(pixel(x), half), 7);
        out[x] = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(one, one)));
    }
}

#else

void bilinearRow(const uint32_t* upper, const uint32_t* lower, int lowerWeight,
                 const std::vector<Tap>& across, const std::vector<int>&, uint32_t* out) {
    const uint32_t upperWeight = uint32_t(256 - lowerWeight);
    for (size_t x = 0; x < across.size(); ++x) {
        const size_t at = size_t(across[x].index);
        const uint32_t right = uint32_t(across[x].weight), left = 256 - right;
        uint32_t pixel = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            auto channel = [shift](uint32_t p) { return (p >> shift) & 0xFF; };
            const uint32_t u = channel(upper[at]) * left + channel(upper[at + 1]) * right;
            const uint32_t l = channel(lower[at]) * left + channel(lower[at + 1]) * right;
            pixel |= ((u * upperWeight + l * uint32_t(lowerWeight) + 32768) >> 16) << shift;
        }
        out[x] = pixel;
    }
}

#endif

// The picture at half its width and height, each pixel the rounded mean of
// a 2x2 block. An odd last column or row is left out.
QImage halved(const QImage& source) {
    const int width = source.width() / 2, height = source.height() / 2;
    QImage out = PictureMemory::newImage(QSize(width, height), source.format());
    if (out.isNull()) return out;
    for (int y = 0; y < height; ++y) {
        const uint8_t* a = source.constScanLine(2 * y);
        const uint8_t* b = source.constScanLine(2 * y + 1);
        uint8_t* o = out.scanLine(y);
        int x = 0;
#if defined(__SSE2__)
        if (y + 1 < height) prefetchRows(source, 2 * y + 2, 2 * y + 3);
        const __m128i zero = _mm_setzero_si128(), two = _mm_set1_epi16(2);
        for (; x + 1 < width; x += 2) {
            const __m128i upper = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 8 * x));
            const __m128i lower = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 8 * x));
            __m128i left =
                _mm_add_epi16(_mm_unpacklo_epi8(upper, zero), _mm_unpacklo_epi8(lower, zero));
            __m128i right =
                _mm_add_epi16(_mm_unpackhi_epi8(upper, zero), _mm_unpackhi_epi8(lower, zero));
            left = _mm_add_epi16(left, _mm_srli_si128(left, 8));
            right = _mm_add_epi16(right, _mm_srli_si128(right, 8));
            const __m128i sum =
                _mm_srli_epi16(_mm_add_epi16(_mm_unpacklo_epi64(left, right), two), 2);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(o + 4 * x), _mm_packus_epi16(sum, sum));
        }
#endif
        for (; x < width; ++x)
            for (int c = 0; c < 4; ++c)
                o[4 * x + c] = uint8_t(
                    (a[8 * x + c] + a[8 * x + 4 + c] + b[8 * x + c] + b[8 * x + 4 + c] + 2) >> 2);
    }
    return out;
}

} // namespace

bool canScaleSmoothly(const QImage& source) {
    const QImage::Format format = source.format();
    return (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied) &&
           source.width() >= 2 && source.height() >= 2;
}

QImage scaledBilinear(const QImage& source, QSize size) {
    if (size == source.size()) return source;
    QImage out = PictureMemory::newImage(size, source.format());
    if (out.isNull()) return out;
    const std::vector<Tap> across = taps(source.width(), size.width());
    const std::vector<Tap> down = taps(source.height(), size.height());
#if defined(__SSE2__)
    std::vector<TapWeights> weights(across.size());
    for (size_t x = 0; x < across.size(); ++x) {
        const auto right = int16_t(uint16_t(across[x].weight << 7));
        const auto left = int16_t(uint16_t((256 - across[x].weight) << 7));
        weights[x] = {{left, left, left, left, right, right, right, right}};
    }
#else
    const std::vector<int> weights;
#endif
    for (int y = 0; y < size.height(); ++y) {
        const Tap& t = down[size_t(y)];
#if defined(__SSE2__)
        if (y + 1 < size.height()) {
            const int next = down[size_t(y) + 1].index;
            prefetchRows(source, std::max(next, t.index + 2), next + 1);
        }
#endif
        bilinearRow(reinterpret_cast<const uint32_t*>(source.constScanLine(t.index)),
                    reinterpret_cast<const uint32_t*>(source.constScanLine(t.index + 1)), t.weight,
                    across, weights, reinterpret_cast<uint32_t*>(out.scanLine(y)));
    }
    return out;
}

QImage scaledSmoothly(const QImage& source, QSize size) {
    QImage reduced = source;
    while (reduced.width() / 2 >= std::max(size.width(), 2) &&
           reduced.height() / 2 >= std::max(size.height(), 2)) {
        reduced = halved(reduced);
        if (reduced.isNull()) return reduced;
    }
    return scaledBilinear(reduced, size);
}

void drawStretched(QPainter& painter, const QRect& target, const QImage& image, QImage* cache) {
    const bool ownScaling = painter.testRenderHint(QPainter::SmoothPixmapTransform) &&
                            painter.deviceTransform().type() <= QTransform::TxTranslate &&
                            target.width() > 0 && target.height() > 0 && canScaleSmoothly(image);
    if (!ownScaling) {
        painter.drawImage(target, image);
        return;
    }
    if (cache && cache->size() == target.size()) {
        painter.drawImage(target.topLeft(), *cache);
        return;
    }
    const QImage scaled = scaledBilinear(image, target.size());
    if (cache) *cache = scaled;
    if (scaled.isNull())
        painter.drawImage(target, image); // no memory for a copy
    else
        painter.drawImage(target.topLeft(), scaled);
}

} // namespace nubivu
