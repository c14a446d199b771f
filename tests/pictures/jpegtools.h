#pragma once
// Makes JPEG files with cjpeg and reference decodes with djpeg for the tests.
#include <QByteArray>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>

namespace nubivu::test {

// A baseline JPEG of the image written with libjpeg itself (no tools needed).
QByteArray makeJpeg(const QImage& image, int quality = 90);

// True when cjpeg and djpeg are on the PATH.
bool haveJpegTools();

// A picture with gradients, edges and noise, so that every stage of the decoder matters.
QImage testPattern(int width, int height, bool gray = false);

// The JPEG cjpeg makes of image with the given switches.
QByteArray cjpeg(const QImage& image, const QStringList& switches, const QTemporaryDir& dir);

// djpeg's BMP output for the file with the given switches.
QByteArray djpeg(const QByteArray& jpeg, const QStringList& switches, const QTemporaryDir& dir);

} // namespace nubivu::test
