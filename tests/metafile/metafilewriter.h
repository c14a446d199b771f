#pragma once
// Builds small WMF and EMF files record by record, for the tests.
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QVector>
#include <initializer_list>

namespace nubivu::test {

inline void put16(QByteArray& b, int v) {
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}
inline void put32(QByteArray& b, qint64 v) {
    put16(b, int(v & 0xFFFF));
    put16(b, int((v >> 16) & 0xFFFF));
}
inline quint32 ref(QColor c) {
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

// A packed bottom-up DIB (BITMAPINFOHEADER, colour table, bits) of the given depth;
// for 8 bits and fewer the image's colours go into the table.
inline QByteArray packedDib(const QImage& source, int bits, bool topDown = false) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    QVector<QRgb> table;
    if (bits <= 8) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (!table.contains(image.pixel(x, y))) table.append(image.pixel(x, y));
        while (table.size() < (1 << bits)) table.append(qRgb(0, 0, 0));
    }
    QByteArray b;
    put32(b, 40);
    put32(b, image.width());
    put32(b, topDown ? -image.height() : image.height());
    put16(b, 1);
    put16(b, bits);
    for (int i = 0; i < 6; ++i) put32(b, 0);
    for (QRgb c : table) {
        b.append(char(qBlue(c)));
        b.append(char(qGreen(c)));
        b.append(char(qRed(c)));
        b.append(char(0));
    }
    const int stride = ((image.width() * bits + 31) / 32) * 4;
    for (int r = 0; r < image.height(); ++r) {
        const int y = topDown ? r : image.height() - 1 - r;
        QByteArray row(stride, 0);
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            switch (bits) {
            case 24:
                row[x * 3] = char(qBlue(c));
                row[x * 3 + 1] = char(qGreen(c));
                row[x * 3 + 2] = char(qRed(c));
                break;
            case 32:
                row[x * 4] = char(qBlue(c));
                row[x * 4 + 1] = char(qGreen(c));
                row[x * 4 + 2] = char(qRed(c));
                break;
            default: {
                const int index = int(table.indexOf(c));
                const int perByte = 8 / bits;
                const int shift = (perByte - 1 - x % perByte) * bits;
                row[x / perByte] = char(uchar(row[x / perByte]) | (index << shift));
            }
            }
        }
        b.append(row);
    }
    return b;
}

class WmfWriter {
public:
    // One record: the function and its parameter words, then raw bytes (padded to a word).
    WmfWriter& rec(int function, std::initializer_list<int> words, QByteArray tail = {}) {
        if (tail.size() % 2) tail.append('\0');
        QByteArray r;
        put32(r, 3 + qsizetype(words.size()) + tail.size() / 2);
        put16(r, function);
        for (int w : words) put16(r, w);
        r.append(tail);
        records_.append(r);
        return *this;
    }
    WmfWriter& raw(const QByteArray& bytes) {
        records_.append(bytes);
        return *this;
    }
    WmfWriter& window(QRect r) {
        return rec(0x020B, {r.top(), r.left()}).rec(0x020C, {r.height(), r.width()});
    }
    WmfWriter& brush(QColor c, int style = 0, int hatch = 0) {
        const quint32 v = ref(c);
        return rec(0x02FC, {style, int(v & 0xFFFF), int(v >> 16), hatch});
    }
    WmfWriter& pen(QColor c, int style = 0, int width = 0) {
        const quint32 v = ref(c);
        return rec(0x02FA, {style, width, 0, int(v & 0xFFFF), int(v >> 16)});
    }
    WmfWriter& select(int index) { return rec(0x012D, {index}); }
    WmfWriter& removeAt(int index) { return rec(0x01F0, {index}); }
    WmfWriter& rectangle(QRect r) {
        return rec(0x041B, {r.bottom() + 1, r.right() + 1, r.top(), r.left()});
    }

    QByteArray plain(int objects = 16) const {
        QByteArray b;
        put16(b, 1);
        put16(b, 9);
        put16(b, 0x0300);
        put32(b, 9 + records_.size() / 2 + 3);
        put16(b, objects);
        put32(b, 0);
        put16(b, 0);
        b.append(records_);
        put32(b, 3); // end record
        put16(b, 0);
        return b;
    }
    QByteArray placeable(QRect box, int inch, int objects = 16) const {
        QByteArray b;
        put32(b, 0x9AC6CDD7);
        put16(b, 0);
        put16(b, box.left());
        put16(b, box.top());
        put16(b, box.left() + box.width());
        put16(b, box.top() + box.height());
        put16(b, inch);
        put32(b, 0);
        quint16 sum = 0;
        for (int i = 0; i < 20; i += 2) sum ^= quint16(uchar(b[i]) | (uchar(b[i + 1]) << 8));
        put16(b, sum);
        return b + plain(objects);
    }

private:
    QByteArray records_;
};

class EmfWriter {
public:
    EmfWriter& rec(quint32 type, const QByteArray& body) {
        QByteArray padded = body;
        while (padded.size() % 4) padded.append('\0');
        put32(records_, type);
        put32(records_, 8 + padded.size());
        records_.append(padded);
        return *this;
    }
    EmfWriter& raw(const QByteArray& bytes) {
        records_.append(bytes);
        return *this;
    }
    EmfWriter& ints(quint32 type, std::initializer_list<qint64> values) {
        QByteArray body;
        for (qint64 v : values) put32(body, v);
        return rec(type, body);
    }
    EmfWriter& brush(quint32 index, QColor c, int style = 0) {
        return ints(39, {index, style, ref(c), 0});
    }
    EmfWriter& pen(quint32 index, QColor c, int style = 0, int width = 0) {
        return ints(38, {index, style, width, 0, ref(c)});
    }
    EmfWriter& select(quint32 index) { return ints(37, {index}); }
    EmfWriter& rectangle(QRect r) {
        return ints(43, {r.left(), r.top(), r.right() + 1, r.bottom() + 1});
    }
    // A device of 1000 x 1000 pixels over 254 x 254 mm: 0.01 mm frame units are 0.254 device
    // pixels.
    QByteArray file(QRect bounds, QRect frame, int handles = 16) const {
        QByteArray b;
        put32(b, 1);
        put32(b, 88);
        for (int v : {bounds.left(), bounds.top(), bounds.right(), bounds.bottom(), frame.left(),
                      frame.top(), frame.right(), frame.bottom()})
            put32(b, v);
        put32(b, 0x464D4520);
        put32(b, 0x10000);
        put32(b, 88 + records_.size() + 20);
        put32(b, 0);
        put16(b, handles);
        put16(b, 0);
        put32(b, 0);
        put32(b, 0);
        put32(b, 0);
        for (int v : {1000, 1000, 254, 254}) put32(b, v);
        b.append(records_);
        for (qint64 v : {14, 20, 0, 0, 20}) put32(b, v);
        return b;
    }

private:
    QByteArray records_;
};

} // namespace nubivu::test
