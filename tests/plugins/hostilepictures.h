#pragma once
// Small pictures whose inner headers claim far more than the picture shows:
// each is a few bytes to a few kilobytes and made here, byte by byte where a
// library would refuse to write it.
#include <QByteArray>
#include <QList>
#include <QString>

namespace nubivu::test {

struct Hostile {
    QString name;
    QString plugin; // "iftiff", ...
    QByteArray data;
    bool refused; // false: the plug-in may also show what decodes
};

QList<Hostile> hostilePictures();

// The shape of the file that first showed the fault: a 32 x 32 TIFF whose
// one JBIG strip begins with a header claiming 32 planes of 513 x 67043328.
QByteArray jbigClaimingGigabytes();

} // namespace nubivu::test
