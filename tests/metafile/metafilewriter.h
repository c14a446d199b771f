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

inline void Put16(QByteArray& b, int v) {
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}
inline void Put32(QByteArray& b, qint64 v) {
    Put16(b, int(v & 0xFFFF));
    Put16(b, int((v >> 16) & 0xFFFF));
}
inline quint32 Ref(QColor c) {
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

// A packed bottom-up DIB (BITMAPINFOHEADER, colour table, bits) of the given depth;
// for 8 bits and fewer the image's colours go into the table.
inline QByteArray PackedDib(const QImage& source, int bits, bool topDown = false) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    QVector<QRgb> table;
    if (bits <= 8) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (!table.contains(image.pixel(x, y))) table.append(image.pixel(x, y));
        while (table.size() < (1 << bits)) table.append(qRgb(0, 0, 0));
    }
    QByteArray b;
    Put32(b, 40);
    Put32(b, image.width());
    Put32(b, topDown ? -image.height() : image.height());
    Put16(b, 1);
    Put16(b, bits);
    for (int i = 0; i < 6; ++i) Put32(b, 0);
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
    WmfWriter& Rec(int function, std::initializer_list<int> words, QByteArray tail = {}) {
        if (tail.size() % 2) tail.append('\0');
        QByteArray r;
        Put32(r, 3 + qsizetype(words.size()) + tail.size() / 2);
        Put16(r, function);
        for (int w : words) Put16(r, w);
        r.append(tail);
        records_.append(r);
        return *this;
    }
    WmfWriter& Raw(const QByteArray& bytes) {
        records_.append(bytes);
        return *this;
    }
    WmfWriter& Window(QRect r) {
        return Rec(0x020B, {r.top(), r.left()}).Rec(0x020C, {r.height(), r.width()});
    }
    WmfWriter& Brush(QColor c, int style = 0, int hatch = 0) {
        const quint32 v = Ref(c);
        return Rec(0x02FC, {style, int(v & 0xFFFF), int(v >> 16), hatch});
    }
    WmfWriter& Pen(QColor c, int style = 0, int width = 0) {
        const quint32 v = Ref(c);
        return Rec(0x02FA, {style, width, 0, int(v & 0xFFFF), int(v >> 16)});
    }
    WmfWriter& Select(int index) { return Rec(0x012D, {index}); }
    WmfWriter& Delete(int index) { return Rec(0x01F0, {index}); }
    WmfWriter& Rectangle(QRect r) {
        return Rec(0x041B, {r.bottom() + 1, r.right() + 1, r.top(), r.left()});
    }

    QByteArray Plain(int objects = 16) const {
        QByteArray b;
        Put16(b, 1);
        Put16(b, 9);
        Put16(b, 0x0300);
        Put32(b, 9 + records_.size() / 2 + 3);
        Put16(b, objects);
        Put32(b, 0);
        Put16(b, 0);
        b.append(records_);
        Put32(b, 3); // end record
        Put16(b, 0);
        return b;
    }
    QByteArray Placeable(QRect box, int inch, int objects = 16) const {
        QByteArray b;
        Put32(b, 0x9AC6CDD7);
        Put16(b, 0);
        Put16(b, box.left());
        Put16(b, box.top());
        Put16(b, box.left() + box.width());
        Put16(b, box.top() + box.height());
        Put16(b, inch);
        Put32(b, 0);
        quint16 sum = 0;
        for (int i = 0; i < 20; i += 2) sum ^= quint16(uchar(b[i]) | (uchar(b[i + 1]) << 8));
        Put16(b, sum);
        return b + Plain(objects);
    }

private:
    QByteArray records_;
};

class EmfWriter {
public:
    EmfWriter& Rec(quint32 type, const QByteArray& body) {
        QByteArray padded = body;
        while (padded.size() % 4) padded.append('\0');
        Put32(records_, type);
        Put32(records_, 8 + padded.size());
        records_.append(padded);
        return *this;
    }
    EmfWriter& Raw(const QByteArray& bytes) {
        records_.append(bytes);
        return *this;
    }
    EmfWriter& Ints(quint32 type, std::initializer_list<qint64> values) {
        QByteArray body;
        for (qint64 v : values) Put32(body, v);
        return Rec(type, body);
    }
    EmfWriter& Brush(quint32 index, QColor c, int style = 0) {
        return Ints(39, {index, style, Ref(c), 0});
    }
    EmfWriter& Pen(quint32 index, QColor c, int style = 0, int width = 0) {
        return Ints(38, {index, style, width, 0, Ref(c)});
    }
    EmfWriter& Select(quint32 index) { return Ints(37, {index}); }
    EmfWriter& Rectangle(QRect r) {
        return Ints(43, {r.left(), r.top(), r.right() + 1, r.bottom() + 1});
    }
    // A device of 1000 x 1000 pixels over 254 x 254 mm: 0.01 mm frame units are 0.254 device
    // pixels.
    QByteArray File(QRect bounds, QRect frame, int handles = 16) const {
        QByteArray b;
        Put32(b, 1);
        Put32(b, 88);
        for (int v : {bounds.left(), bounds.top(), bounds.right(), bounds.bottom(), frame.left(),
                      frame.top(), frame.right(), frame.bottom()})
            Put32(b, v);
        Put32(b, 0x464D4520);
        Put32(b, 0x10000);
        Put32(b, 88 + records_.size() + 20);
        Put32(b, 0);
        Put16(b, handles);
        Put16(b, 0);
        Put32(b, 0);
        Put32(b, 0);
        Put32(b, 0);
        for (int v : {1000, 1000, 254, 254}) Put32(b, v);
        b.append(records_);
        for (qint64 v : {14, 20, 0, 0, 20}) Put32(b, v);
        return b;
    }

private:
    QByteArray records_;
};

} // namespace nubivu::test
