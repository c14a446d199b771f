#pragma once
// Whole files in and out for tests that make their fixtures on disk.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>

namespace nubivu::test {

// The file's bytes, or "<missing>" when it cannot be read (so a comparison
// names the problem instead of matching an empty file).
inline QByteArray readFileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Writes the bytes, replacing any file there; a fixture that cannot be made
// ends the test run. Returns the path.
inline QString writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace nubivu::test
