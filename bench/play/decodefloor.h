#pragma once
// The floor a play is measured against: bare libjpeg decoding of the same
// files with the program's reader's settings (whole file read into memory,
// full size, float DCT, block smoothing, opaque 32-bit rows in Qt's RGB32
// byte order). Packed 24-bit rows, as the reader once kept them, can be
// measured too.
#include <QStringList>
#include <vector>

namespace playbench {

class DecodeFloor {
public:
    enum class Rows { Rgb32, Rgb24 };

    // What the reader does: a new picture for every file, freed before the next.
    void decodeAllocating(const QString& path, Rows rows = Rows::Rgb32);
    // One buffer kept for every file: cheaper by the page faults of fresh
    // memory, which the program may or may not pay.
    void decodeReusing(const QString& path);

    // Milliseconds to decode all files the one way or the other.
    double allocatingMs(const QStringList& files, Rows rows = Rows::Rgb32);
    double reusingMs(const QStringList& files);

private:
    std::vector<unsigned char> buffer_;
};

} // namespace playbench
