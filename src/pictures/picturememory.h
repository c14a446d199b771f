#pragma once
// Memory for the pixels of big pictures, kept once freed for the next ones.
// A play frees and takes rows of multi-megabyte pictures many times a
// second, on two threads; fresh memory costs a page fault for each of its
// pages, which on some machines makes a picture take several times as long
// to decode. Pixels taken here come back when the last copy of their
// picture is gone, and go to the next picture of about that size.
#include <QImage>

namespace nubivu {

class PictureMemory {
public:
    // Pictures smaller than this take their memory as any other.
    static constexpr qsizetype SmallestKept = 256 * 1024;
    // Freed memory kept for later at most; beyond it memory goes back.
    static constexpr qsizetype MostKept = 96 * 1024 * 1024;

    // An uninitialised picture, as QImage(size, format) but for where its
    // pixels come from. Null when the size is empty or memory runs out.
    static QImage newImage(QSize size, QImage::Format format);

    // Kept now, free for the next picture.
    static qsizetype keptBytes();
    // Gives every kept block back to the system.
    static void releaseKept();
};

} // namespace nubivu
