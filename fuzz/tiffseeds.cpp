// tiffseeds DIR [BYTE]: writes into DIR a small TIFF for every compression
// this machine's libtiff can read, in the layouts the TIFF plug-in takes
// (bilevel, grey, palette, RGB, with alpha, tiled, both bit orders), so that
// fuzzing starts from every codec and not only from the kinds a corpus
// happens to hold. BYTE (a number) goes before each file: the plug-in
// target's choice of plug-in. Codecs libtiff only decodes get their strips
// as raw bytes.
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Seed {
    const char* name;
    uint16_t compression;
    uint16_t photometric;
    uint16_t bits;
    uint16_t samples;
    bool tiled = false;
    bool lsbFirst = false; // FillOrder 2
    bool predictor = false;
};

constexpr uint32_t Width = 48, Height = 40;

const Seed seeds[] = {
    {"none-rgb", COMPRESSION_NONE, PHOTOMETRIC_RGB, 8, 3},
    {"none-rgba-tiled", COMPRESSION_NONE, PHOTOMETRIC_RGB, 8, 4, true},
    {"ccittrle", COMPRESSION_CCITTRLE, PHOTOMETRIC_MINISWHITE, 1, 1},
    {"ccittrlew", COMPRESSION_CCITTRLEW, PHOTOMETRIC_MINISWHITE, 1, 1},
    {"fax3", COMPRESSION_CCITTFAX3, PHOTOMETRIC_MINISWHITE, 1, 1},
    {"fax3-lsb", COMPRESSION_CCITTFAX3, PHOTOMETRIC_MINISWHITE, 1, 1, false, true},
    {"fax4", COMPRESSION_CCITTFAX4, PHOTOMETRIC_MINISBLACK, 1, 1},
    {"lzw-rgb-predictor", COMPRESSION_LZW, PHOTOMETRIC_RGB, 8, 3, false, false, true},
    {"lzw-grey16", COMPRESSION_LZW, PHOTOMETRIC_MINISBLACK, 16, 1},
    {"lzw-palette-lsb", COMPRESSION_LZW, PHOTOMETRIC_PALETTE, 8, 1, false, true},
    {"ojpeg", COMPRESSION_OJPEG, PHOTOMETRIC_YCBCR, 8, 3},
    {"jpeg-rgb", COMPRESSION_JPEG, PHOTOMETRIC_YCBCR, 8, 3},
    {"jpeg-grey-tiled", COMPRESSION_JPEG, PHOTOMETRIC_MINISBLACK, 8, 1, true},
    {"next", COMPRESSION_NEXT, PHOTOMETRIC_MINISBLACK, 2, 1},
    {"packbits-palette4", COMPRESSION_PACKBITS, PHOTOMETRIC_PALETTE, 4, 1},
    {"thunderscan", COMPRESSION_THUNDERSCAN, PHOTOMETRIC_MINISBLACK, 4, 1},
    {"pixarlog", COMPRESSION_PIXARLOG, PHOTOMETRIC_RGB, 8, 3},
    {"deflate-old", COMPRESSION_DEFLATE, PHOTOMETRIC_MINISBLACK, 8, 1},
    {"deflate-tiled", COMPRESSION_ADOBE_DEFLATE, PHOTOMETRIC_RGB, 8, 4, true, false, true},
    {"jbig", COMPRESSION_JBIG, PHOTOMETRIC_MINISWHITE, 1, 1},
    {"jbig-lsb", COMPRESSION_JBIG, PHOTOMETRIC_MINISWHITE, 1, 1, false, true},
    {"sgilog", COMPRESSION_SGILOG, PHOTOMETRIC_LOGLUV, 32, 3},
    {"sgilog24", COMPRESSION_SGILOG24, PHOTOMETRIC_LOGLUV, 32, 3},
    {"lzma", COMPRESSION_LZMA, PHOTOMETRIC_MINISBLACK, 8, 1},
    {"lzma-lsb", COMPRESSION_LZMA, PHOTOMETRIC_RGB, 8, 3, false, true},
    {"zstd", COMPRESSION_ZSTD, PHOTOMETRIC_RGB, 8, 3, true},
    {"webp", COMPRESSION_WEBP, PHOTOMETRIC_RGB, 8, 3},
    {"lerc", COMPRESSION_LERC, PHOTOMETRIC_MINISBLACK, 8, 1},
};

// Quiet: a codec the library lacks is reported once, by name, below.
void quiet(const char*, const char*, va_list) {}

// A picture with some structure for the codecs to work on: diagonal bands.
std::vector<uint8_t> segment(const Seed& s, uint32_t width, uint32_t rows) {
    const size_t rowBytes = (size_t(width) * s.bits * s.samples + 7) / 8;
    std::vector<uint8_t> out(rowBytes * rows);
    for (uint32_t y = 0; y < rows; ++y)
        for (size_t x = 0; x < rowBytes; ++x)
            out[y * rowBytes + x] = uint8_t(((x + y) / 3 * 37) ^ (y * 11));
    return out;
}

bool write(const Seed& s, const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif) return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, Width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, Height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, s.bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, s.samples);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, s.photometric);
    if (s.lsbFirst) TIFFSetField(tif, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
    if (s.samples == 4) {
        const uint16_t alpha = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &alpha);
    }
    if (s.photometric == PHOTOMETRIC_PALETTE) {
        std::vector<uint16_t> r(1u << s.bits), g(r.size()), b(r.size());
        for (size_t i = 0; i < r.size(); ++i) {
            r[i] = uint16_t(i * 4099);
            g[i] = uint16_t(65535 - i * 1999);
            b[i] = uint16_t(i * 777);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
    }
    if (!TIFFSetField(tif, TIFFTAG_COMPRESSION, s.compression)) {
        TIFFClose(tif);
        return false;
    }
    if (s.compression == COMPRESSION_JPEG && s.photometric == PHOTOMETRIC_YCBCR)
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    if (s.photometric == PHOTOMETRIC_LOGLUV)
        TIFFSetField(tif, TIFFTAG_SGILOGDATAFMT, SGILOGDATAFMT_FLOAT);
    if (s.predictor) TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    // Codecs libtiff can only read: stored bytes of the right amount, which
    // its decoder then takes as it finds them.
    const bool readOnly = s.compression == COMPRESSION_OJPEG || s.compression == COMPRESSION_NEXT ||
                          s.compression == COMPRESSION_THUNDERSCAN ||
                          s.compression == COMPRESSION_CCITTRLE ||
                          s.compression == COMPRESSION_CCITTRLEW;
    bool ok = true;
    if (s.tiled) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, 32);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, 32);
        const std::vector<uint8_t> tile = segment(s, 32, 32);
        for (uint32_t t = 0; ok && t < TIFFNumberOfTiles(tif); ++t)
            ok = TIFFWriteEncodedTile(tif, t, const_cast<uint8_t*>(tile.data()),
                                      tmsize_t(tile.size())) >= 0;
    } else {
        // libtiff writes JBIG as one strip only.
        const uint32_t rows = s.compression == COMPRESSION_JBIG ? Height : 16;
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows);
        for (uint32_t strip = 0; ok && strip < TIFFNumberOfStrips(tif); ++strip) {
            const uint32_t n = std::min(rows, Height - strip * rows);
            const std::vector<uint8_t> bytes = segment(s, Width, n);
            ok = (readOnly ? TIFFWriteRawStrip(tif, strip, const_cast<uint8_t*>(bytes.data()),
                                               tmsize_t(bytes.size()))
                           : TIFFWriteEncodedStrip(tif, strip, const_cast<uint8_t*>(bytes.data()),
                                                   tmsize_t(bytes.size()))) >= 0;
        }
    }
    TIFFClose(tif);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tiffseeds DIR [BYTE]\n");
        return 2;
    }
    const std::string dir = argv[1];
    const bool prefixed = argc > 2;
    const char prefix = prefixed ? char(std::atoi(argv[2])) : 0;
    TIFFSetErrorHandler(quiet);
    TIFFSetWarningHandler(quiet);
    int written = 0;
    for (const Seed& s : seeds) {
        if (!TIFFIsCODECConfigured(s.compression)) {
            std::printf("tiffseeds: %s: libtiff here has no such codec\n", s.name);
            continue;
        }
        const std::string path = dir + "/tiff-" + s.name + ".tif";
        if (!write(s, path)) {
            std::remove(path.c_str());
            std::printf("tiffseeds: %s: libtiff here cannot write it\n", s.name);
            continue;
        }
        if (prefixed) {
            std::ifstream in(path, std::ios::binary);
            std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.put(prefix);
            out.write(bytes.data(), std::streamsize(bytes.size()));
        }
        ++written;
    }
    std::printf("tiffseeds: %d pictures\n", written);
    return written > 0 ? 0 : 1;
}
