// Text output of the metafile drawing state, and the character sets text
// records are written in.
#include "pictures/metafile/metafiledc.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>

namespace nubivu {

namespace {

constexpr double kMaxTextPixels = 2000;
constexpr double kMaxTextStretch = 32;
constexpr double kMaxTextWidth = 4.0e6;

struct Charset {
    const char* encoding; // null: Latin-1
    bool doubleByte;
};

// The program's ANSI code page is Shift-JIS, so the default and OEM character
// sets mean CP932 as well.
Charset charsetFor(int charset) {
    switch (charset) {
    case 0: return {"windows-1252", false};
    case 1:
    case 128:
    case 255: return {"windows-31j", true};
    case 129:
    case 130: return {"windows-949", true};
    case 134: return {"GBK", true};
    case 136: return {"Big5", true};
    case 161: return {"windows-1253", false};
    case 162: return {"windows-1254", false};
    case 163: return {"windows-1258", false};
    case 177: return {"windows-1255", false};
    case 178: return {"windows-1256", false};
    case 186: return {"windows-1257", false};
    case 204: return {"windows-1251", false};
    case 222: return {"windows-874", false};
    case 238: return {"windows-1250", false};
    default: return {nullptr, false};
    }
}

bool isLeadByte(uchar b, int charset) {
    if (charset == 1 || charset == 128 || charset == 255)
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    return b >= 0x81 && b <= 0xFE;
}

} // namespace

void decodeMetafileText(const QByteArray& bytes, int charset, const QVector<double>& byteAdvances,
                        QString* text, QVector<double>* advances) {
    const Charset cs = charsetFor(charset);
    QStringDecoder decoder = cs.encoding
                                 ? QStringDecoder(cs.encoding, QStringConverter::Flag::Stateless)
                                 : QStringDecoder(QStringConverter::Latin1);
    if (!decoder.isValid()) decoder = QStringDecoder(QStringConverter::Latin1);
    text->clear();
    advances->clear();
    if (byteAdvances.isEmpty()) {
        *text = decoder.decode(bytes);
        return;
    }
    // Advances come one per byte: a double-byte character moves by the sum of its two.
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype n =
            cs.doubleByte && isLeadByte(uchar(bytes[i]), charset) && i + 1 < bytes.size() ? 2 : 1;
        const QString piece = decoder.decode(QByteArrayView(bytes).sliced(i, n));
        double advance = 0;
        for (qsizetype k = i; k < i + n; ++k)
            if (k < byteAdvances.size()) advance += byteAdvances[k];
        for (qsizetype k = 0; k < piece.size(); ++k) advances->append(k == 0 ? advance : 0);
        text->append(piece);
        i += n;
    }
}

void MetafileDC::text(QPointF reference, const QString& text, const QVector<double>& advances,
                      quint32 options, const QRectF* rect) {
    if (inPath_) return;
    const QTransform full = fullTransform();
    if (state_.textAlign & gdi::kTaUpdateCp) reference = state_.current;
    const double sx = std::hypot(full.m11(), full.m12());
    const double sy = std::hypot(full.m21(), full.m22());
    if (!std::isfinite(sx) || !std::isfinite(sy) || sx <= 0 || sy <= 0) return;

    painter_.save();
    if (rect) {
        const QRectF box = full.mapRect(rect->normalized());
        if (usable(box)) {
            painter_.setTransform(QTransform());
            if (options & gdi::kEtoOpaque) painter_.fillRect(box, state_.bkColor);
            if (options & gdi::kEtoClipped) painter_.setClipRect(box, Qt::IntersectClip);
        }
    }
    const QPointF anchor = full.map(reference);
    if (text.isEmpty() || !usable(QRectF(anchor, QSizeF(1, 1)))) {
        painter_.restore();
        return;
    }

    const MetaFont& f = state_.font;
    QFont font;
    if (!f.face.isEmpty()) font.setFamily(f.face);
    font.setWeight(QFont::Weight(std::clamp(f.weight > 0 ? f.weight : 400, 100, 900)));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    double em;
    if (f.height == 0) {
        em = 12 * std::hypot(deviceToOutput_.m21(), deviceToOutput_.m22());
    } else if (f.height < 0) {
        em = -f.height * sy;
    } else {
        // A positive height is the whole cell, ascent plus descent.
        QFont probe = font;
        probe.setPixelSize(100);
        em = f.height * sy * 100 / std::max(1.0, QFontMetricsF(probe).height());
    }
    // Too small to show, or glyphs larger than any screen: the font engine's
    // glyph cache cannot take those (it overruns its buffers on them).
    const double stretch = sx / sy;
    if (!(em >= 1) || em * std::max(1.0, stretch) > kMaxTextPixels || stretch > kMaxTextStretch ||
        stretch < 1 / kMaxTextStretch) {
        painter_.restore();
        return;
    }
    font.setPixelSize(int(std::lround(em)));
    const QFontMetricsF metrics(font);

    // Local units: one output pixel vertically, one logical unit's worth of
    // the vertical scale horizontally, so stretched pictures stretch their text.
    QVector<double> local;
    double width = 0;
    if (advances.size() >= text.size()) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            local.append(advances[i] * sy);
            width += local.back();
        }
    } else {
        width = metrics.horizontalAdvance(text);
    }
    if (!std::isfinite(width) || std::abs(width) > kMaxTextWidth) {
        painter_.restore();
        return;
    }
    double x = 0;
    switch (state_.textAlign & gdi::kTaCenter) {
    case gdi::kTaRight: x = -width; break;
    case gdi::kTaCenter: x = -width / 2; break;
    default: break;
    }
    double baseline = metrics.ascent();
    if ((state_.textAlign & gdi::kTaBaseline) == gdi::kTaBaseline)
        baseline = 0;
    else if (state_.textAlign & gdi::kTaBottom)
        baseline = -metrics.descent();

    QTransform t = QTransform::fromTranslate(anchor.x(), anchor.y());
    t.rotate(-f.escapement / 10);
    t.scale(stretch, 1);
    painter_.setTransform(t);
    if (state_.bkMode == gdi::kOpaque)
        painter_.fillRect(QRectF(x, baseline - metrics.ascent(), width, metrics.height()),
                          state_.bkColor);
    painter_.setFont(font);
    painter_.setPen(state_.textColor);
    if (local.isEmpty()) {
        painter_.drawText(QPointF(x, baseline), text);
    } else {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            painter_.drawText(QPointF(x, baseline), text.mid(i, n));
            for (qsizetype k = i; k < i + n; ++k) x += local[k];
            i += n - 1;
        }
    }
    painter_.restore();
    if (state_.textAlign & gdi::kTaUpdateCp) state_.current.rx() += width / sy;
}

} // namespace nubivu
