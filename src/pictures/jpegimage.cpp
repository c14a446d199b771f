#include "pictures/jpegimage.h"

#include "core/limits.h"
#include "pictures/graphicerrors.h"
#include "pictures/picturememory.h"

#include <QIODevice>
#include <QPainter>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jerror.h>
#include <jpeglib.h>

namespace nubivu {

NUBIVU_GRAPHIC_DEFINE(JpegImage, Graphic)

namespace {

// True colour is decoded into the byte order of Format_RGB32, opaque: the
// form Qt scales and draws without converting the picture first.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr J_COLOR_SPACE kRgb32Space = JCS_EXT_BGRA;
#else
constexpr J_COLOR_SPACE kRgb32Space = JCS_EXT_ARGB;
#endif

[[noreturn]] void raise(int code) { throw EJPEG(QString::fromUtf8(msg::JpegError).arg(code)); }

// libjpeg reports errors through a callback that must not return: jump back
// to the frame that started the work and turn the code into an exception there.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void onError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings (data ending early, corrupt data the decoder steps over) are
// ignored: whatever was decoded is shown.
void onMessage(j_common_ptr, int) {}

// The source is the whole file in memory.
struct MemorySource {
    jpeg_source_mgr pub;
    const JOCTET* data;
    size_t size;
};

void initSource(j_decompress_ptr) {}

boolean fillInput(j_decompress_ptr cinfo) {
    // Past the end: hand libjpeg an end-of-image marker, as a file reader does.
    static const JOCTET eoi[2] = {0xFF, JPEG_EOI};
    WARNMS(cinfo, JWRN_JPEG_EOF);
    cinfo->src->next_input_byte = eoi;
    cinfo->src->bytes_in_buffer = 2;
    return TRUE;
}

void skipInput(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* src = cinfo->src;
    while (size_t(count) > src->bytes_in_buffer) {
        count -= long(src->bytes_in_buffer);
        fillInput(cinfo);
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= size_t(count);
}

void termSource(j_decompress_ptr) {}

// One libjpeg decompressor with the program's error and source managers.
class Decompressor {
public:
    explicit Decompressor(const QByteArray& data) {
        cinfo.err = jpeg_std_error(&err.pub);
        err.pub.error_exit = onError;
        err.pub.emit_message = onMessage;
        src.pub.init_source = initSource;
        src.pub.fill_input_buffer = fillInput;
        src.pub.skip_input_data = skipInput;
        src.pub.resync_to_restart = jpeg_resync_to_restart;
        src.pub.term_source = termSource;
        src.pub.next_input_byte = reinterpret_cast<const JOCTET*>(data.constData());
        src.pub.bytes_in_buffer = size_t(data.size());
    }
    ~Decompressor() {
        if (created) jpeg_destroy_decompress(&cinfo);
    }
    // Call after setjmp: creation itself may fail.
    void create() {
        jpeg_create_decompress(&cinfo);
        created = true;
        cinfo.src = &src.pub;
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    int code() const { return err.pub.msg_code; }

    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    MemorySource src{};
    bool created = false;
};

// Reads the header; false on a libjpeg error (code() tells which).
bool readHeader(Decompressor& d) {
    if (setjmp(d.err.jump)) return false;
    d.create();
    if (jpeg_read_header(&d.cinfo, TRUE) != JPEG_HEADER_OK) ERREXIT(&d.cinfo, JERR_NO_IMAGE);
    return true;
}

// Turns the decoded CMYK rows into RGB in place. Adobe's files (the common
// ones) store the inks inverted.
void cmykToRgb(uchar* row, int width, bool inverted) {
    for (int x = 0; x < width; ++x, row += 4) {
        int c = row[0], m = row[1], y = row[2], k = row[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        const QRgb rgb = qRgb((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
        std::memcpy(row, &rgb, 4);
    }
}

struct Output {
    QImage image;
    QVector<QRgb> palette;
    int rows = 0;
};

// Decodes into out; returns the libjpeg error code, 0 on success. What the
// jump back must see lives outside this frame.
int decodeInto(Decompressor& d, bool lowColour, Output& out) {
    jpeg_decompress_struct& cinfo = d.cinfo;
    if (setjmp(d.err.jump)) return d.code();
    d.create();
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) ERREXIT(&cinfo, JERR_NO_IMAGE);
    cinfo.scale_num = 1;
    cinfo.scale_denom = 1;
    cinfo.dct_method = JDCT_FLOAT;
    cinfo.do_block_smoothing = TRUE;
    cinfo.buffered_image = FALSE;
    const bool gray = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    // CMYK cannot go through the quantiser: it is shown in true colour.
    const bool indexed = !cmyk && (gray || lowColour);
    if (cmyk) {
        cinfo.out_color_space = JCS_CMYK;
    } else if (gray) {
        cinfo.out_color_space = JCS_GRAYSCALE;
    } else {
        // The quantiser's colour map is built from plain RGB.
        cinfo.out_color_space = indexed ? JCS_RGB : kRgb32Space;
    }
    if (indexed) {
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = 236;
        cinfo.dither_mode = JDITHER_FS;
        cinfo.two_pass_quantize = TRUE; // libjpeg uses one pass for gray by itself
    }
    jpeg_start_decompress(&cinfo);
    const int width = int(cinfo.output_width);
    const int height = int(cinfo.output_height);
    // libjpeg writes straight into the picture's rows: one index with a
    // palette, four CMYK bytes that are turned into 32-bit RGB in place, or
    // 32-bit RGB itself.
    out.image = PictureMemory::newImage(QSize(width, height),
                                        indexed ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    if (out.image.isNull()) ERREXIT(&cinfo, JERR_OUT_OF_MEMORY);
    if (indexed) {
        const int n = cinfo.actual_number_of_colors;
        out.palette.clear();
        for (int i = 0; i < n; ++i) {
            const int r = cinfo.colormap[0][i];
            const int g = cinfo.out_color_components == 3 ? cinfo.colormap[1][i] : r;
            const int b = cinfo.out_color_components == 3 ? cinfo.colormap[2][i] : r;
            out.palette.push_back(qRgb(r, g, b));
        }
        out.image.setColorTable(out.palette);
    }
    JSAMPROW rows[16];
    while (cinfo.output_scanline < cinfo.output_height) {
        const int first = int(cinfo.output_scanline);
        const int batch = qMin<int>(int(cinfo.rec_outbuf_height), qMin(16, height - first));
        for (int i = 0; i < batch; ++i) rows[i] = out.image.scanLine(first + i);
        const int got = int(jpeg_read_scanlines(&cinfo, rows, JDIMENSION(batch)));
        if (cmyk)
            for (int i = 0; i < got; ++i) cmykToRgb(rows[i], width, cinfo.saw_Adobe_marker);
        out.rows = first + got;
    }
    jpeg_finish_decompress(&cinfo);
    return 0;
}

} // namespace

void JpegImage::loadStream(QIODevice& stream) {
    QByteArray data = stream.readAll();
    Decompressor d(data);
    if (!readHeader(d)) raise(d.code());
    const qint64 pixels = qint64(d.cinfo.image_width) * d.cinfo.image_height;
    if (pixels > MaxPicturePixels) raise(JERR_IMAGE_TOO_BIG);
    data_ = std::move(data);
    width_ = int(d.cinfo.image_width);
    height_ = int(d.cinfo.image_height);
    grayscale_ = d.cinfo.jpeg_color_space == JCS_GRAYSCALE;
    progressive_ = d.cinfo.progressive_mode;
    decoded_ = false;
    bitmap_.setImage({});
    Q_EMIT changed();
}

void JpegImage::saveStream(QIODevice& stream) const { stream.write(data_); }

void JpegImage::decode() {
    decoded_ = true; // never again, whatever happens below
    Output out;
    int code = 0;
    {
        Decompressor d(data_);
        code = decodeInto(d, options_.lowColour, out);
    }
    // After an error the lines decoded so far are kept, the rest left blank;
    // before the first line, nothing. (Rows are only filled here, so that a
    // sound decode writes every pixel once.)
    if (code && out.rows > 0) {
        uint blank = 0xFFFFFFFFu;
        if (out.image.format() == QImage::Format_Indexed8) {
            blank = 0;
            for (qsizetype i = 1; i < out.palette.size(); ++i)
                if (qGray(out.palette[i]) > qGray(out.palette[blank])) blank = uint(i);
        }
        for (int y = out.rows; y < out.image.height(); ++y) {
            uchar* row = out.image.scanLine(y);
            switch (out.image.format()) {
            case QImage::Format_Indexed8:
                std::memset(row, int(blank), size_t(out.image.width()));
                break;
            default:
                std::fill_n(reinterpret_cast<QRgb*>(row), out.image.width(), QRgb(blank));
                break;
            }
        }
    }
    if (out.rows > 0) {
        bitmap_.setImage(std::move(out.image), out.palette);
    }
    if (code) raise(code);
}

const Bitmap& JpegImage::bitmap() {
    if (!decoded_ && !data_.isEmpty()) decode();
    return bitmap_;
}

void JpegImage::drawInto(QPainter& painter, const QRect& rect) {
    if (!decoded_ && !data_.isEmpty()) {
        try {
            decode();
        } catch (...) {
            if (!bitmap_.empty()) bitmap_.drawInto(painter, rect);
            throw;
        }
    }
    if (!bitmap_.empty()) bitmap_.drawInto(painter, rect);
}

void JpegImage::copyFrom(const Graphic& source) {
    const auto* other = dynamic_cast<const JpegImage*>(&source);
    if (!other) {
        Graphic::copyFrom(source);
        return;
    }
    data_ = other->data_;
    width_ = other->width_;
    height_ = other->height_;
    grayscale_ = other->grayscale_;
    progressive_ = other->progressive_;
    decoded_ = other->decoded_;
    bitmap_.copyFrom(other->bitmap_);
    Q_EMIT changed();
}

} // namespace nubivu
