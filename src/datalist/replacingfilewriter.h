#pragma once
// Writes a new file that takes the place of an old one only when all of it
// was written and flushed: until then the old file stays as it was, and a
// write that fails or is cut short (full disk, file size limit, the program
// killed) leaves nothing of the new file behind.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <csignal>

namespace nubivu {

class ReplacingFileWriter {
public:
    // Checks the target (a read-only file is refused, a symbolic link is
    // followed to the file it names) and opens the new file's storage in the
    // target's folder. Raises EInOutError.
    explicit ReplacingFileWriter(const QString& fileName);
    // Without Commit the new file is dropped.
    ~ReplacingFileWriter();
    ReplacingFileWriter(const ReplacingFileWriter&) = delete;
    ReplacingFileWriter& operator=(const ReplacingFileWriter&) = delete;

    void write(QByteArrayView bytes);
    // Flushes the new file to disk and puts it in place of the target, with
    // the old file's permission bits.
    void commit();

private:
    [[noreturn]] void fail(int error);
    void linkInPlace();
    void discard();

    QByteArray target_;
    QByteArray folder_;
    QByteArray tempName_; // the named temporary file, or the name an unnamed one is linked under
    int fd_ = -1;
    bool unnamed_ = false;
    bool targetExists_ = false;
    struct sigaction oldSizeSignal_ {};
};

} // namespace nubivu
