#pragma once
// Builds small BMP files and icon images byte by byte, so that every header
// kind, depth and compression can be tested without fixture files.
#include <QByteArray>
#include <QRgb>
#include <QVector>
#include <QtEndian>

namespace nubivu::test {

enum class DibHeaderKind { Core = 12, Info = 40, V4 = 108, V5 = 124 };

struct DibSpec {
    DibHeaderKind kind = DibHeaderKind::Info;
    int width = 0;
    int height = 0; // negative: top-down
    int bpp = 24;
    quint32 compression = 0;
    QVector<QRgb> palette;
    QVector<quint32> masks; // bit fields: R, G, B (and A)
    QByteArray bits;        // the pixel rows as stored
    qint64 colorsUsed = -1; // -1: the palette's size
};

inline void putLE(QByteArray& b, quint32 v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.append(char((v >> (8 * i)) & 0xFF));
}

// The info header, masks and colour table (what a DIB holds before its pixels).
inline QByteArray dibHeader(const DibSpec& s) {
    QByteArray h;
    const int size = int(s.kind);
    putLE(h, quint32(size), 4);
    if (s.kind == DibHeaderKind::Core) {
        putLE(h, quint32(s.width), 2);
        putLE(h, quint32(s.height), 2);
        putLE(h, 1, 2);
        putLE(h, quint32(s.bpp), 2);
    } else {
        putLE(h, quint32(s.width), 4);
        putLE(h, quint32(s.height), 4);
        putLE(h, 1, 2);
        putLE(h, quint32(s.bpp), 2);
        putLE(h, s.compression, 4);
        putLE(h, quint32(s.bits.size()), 4);
        putLE(h, 2835, 4);
        putLE(h, 2835, 4);
        putLE(h, quint32(s.colorsUsed < 0 ? s.palette.size() : s.colorsUsed), 4);
        putLE(h, 0, 4);
        if (s.kind != DibHeaderKind::Info) {
            for (int i = 0; i < 4; ++i) putLE(h, i < s.masks.size() ? s.masks[i] : 0, 4);
            h.append(QByteArray(size - h.size(), '\0'));
        } else {
            for (quint32 m : s.masks) putLE(h, m, 4);
        }
    }
    for (QRgb c : s.palette) {
        h.append(char(qBlue(c)));
        h.append(char(qGreen(c)));
        h.append(char(qRed(c)));
        if (s.kind != DibHeaderKind::Core) h.append('\0');
    }
    return h;
}

inline QByteArray bmpFile(const DibSpec& s) {
    const QByteArray dib = dibHeader(s);
    QByteArray f("BM");
    putLE(f, quint32(14 + dib.size() + s.bits.size()), 4);
    putLE(f, 0, 4);
    putLE(f, quint32(14 + dib.size()), 4);
    return f + dib + s.bits;
}

// Pads each row of bytes to four bytes.
inline QByteArray paddedRows(const QVector<QByteArray>& rows) {
    QByteArray out;
    for (QByteArray r : rows) {
        while (r.size() % 4) r.append('\0');
        out += r;
    }
    return out;
}

} // namespace nubivu::test
