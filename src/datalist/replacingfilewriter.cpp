#include "datalist/replacingfilewriter.h"

#include "datalist/datalistfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nubivu {

namespace {

[[noreturn]] void raiseFileError(int error) { throw EInOutError(fileErrorMessage(error)); }

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray(slash == 0 ? "/" : ".") : path.left(slash);
}

// The file a chain of symbolic links ends at (also when that file does not
// exist yet): saving through a link updates what it points to and keeps the link.
QByteArray followLinks(QByteArray path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        QByteArray link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.constData(), link.data(), size_t(link.size()));
        if (n < 0) raiseFileError(errno);
        if (n >= link.size()) raiseFileError(ENAMETOOLONG);
        link.truncate(n);
        path = link.startsWith('/') ? link : folderOf(path) + '/' + link;
    }
    raiseFileError(ELOOP);
}

QByteArray randomSuffix() {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray s(6, '\0');
    for (char& c : s) c = letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return s;
}

// A hidden name beside the target for a named temporary file.
QByteArray tempNameBeside(const QByteArray& target) {
    const QByteArray folder = folderOf(target);
    QByteArray name = target.mid(target.lastIndexOf('/') + 1);
    if (name.size() + 8 > NAME_MAX) name = "nubivu";
    return folder + "/." + name + '.';
}

bool procFdAvailable() { return ::access("/proc/self/fd", X_OK) == 0; }

} // namespace

ReplacingFileWriter::ReplacingFileWriter(const QString& fileName) {
    if (fileName.isEmpty()) raiseFileError(ENOENT);
    if (QFileInfo(fileName).fileName().toUtf8().size() > NAME_MAX) raiseFileError(ENAMETOOLONG);
    target_ = followLinks(QFile::encodeName(QFileInfo(fileName).absoluteFilePath()));
    folder_ = folderOf(target_);

    // The rename that puts the new file in place needs only a writable
    // folder: a file the user made read-only is refused here, even for a
    // user (root) whom the system would let write it.
    struct stat old {};
    targetExists_ = ::stat(target_.constData(), &old) == 0;
    if (!targetExists_ && errno != ENOENT) raiseFileError(errno);
    if (targetExists_) {
        if (S_ISDIR(old.st_mode)) raiseFileError(EISDIR);
        if (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0) raiseFileError(EACCES);
        if (::access(target_.constData(), W_OK) != 0) raiseFileError(errno);
    }

    // Unnamed until it is complete: a save cut short leaves nothing in the folder.
    if (procFdAvailable())
        fd_ = ::open(folder_.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    unnamed_ = fd_ >= 0;
    if (!unnamed_) {
        // No unnamed files on this file system: a hidden named one, removed on every failure.
        tempName_ = tempNameBeside(target_) + "XXXXXX";
        fd_ = ::mkostemp(tempName_.data(), O_CLOEXEC);
        if (fd_ < 0) {
            const int error = errno;
            tempName_.clear();
            raiseFileError(error);
        }
    }
    const mode_t mode = targetExists_ ? (old.st_mode & 07777) : mode_t(0666 & ~currentUmask());
    if (::fchmod(fd_, mode) != 0) fail(errno);
    // Owner and group carry over where the system allows it (a save by root).
    if (targetExists_ && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
        if (::fchown(fd_, old.st_uid, old.st_gid) != 0) {
            // Not allowed: the new file is the saving user's, as any new file is.
        }
    // A file beyond the size limit must end in a failed write, not in death by SIGXFSZ.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, &oldSizeSignal_);
}

ReplacingFileWriter::~ReplacingFileWriter() {
    discard();
    ::sigaction(SIGXFSZ, &oldSizeSignal_, nullptr);
}

void ReplacingFileWriter::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tempName_.isEmpty()) ::unlink(tempName_.constData());
    tempName_.clear();
}

void ReplacingFileWriter::fail(int error) {
    discard();
    raiseFileError(error);
}

void ReplacingFileWriter::write(QByteArrayView bytes) {
    if (fd_ < 0) raiseFileError(EBADF);
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd_, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        data += written;
        left -= written;
    }
}

void ReplacingFileWriter::linkInPlace() {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_);
    // A new file can take its name at once; an old one is replaced through a
    // name beside it and a rename, so the target is never missing.
    if (!targetExists_) {
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, target_.constData(),
                     AT_SYMLINK_FOLLOW) == 0)
            return;
        if (errno != EEXIST) fail(errno);
    }
    const QByteArray prefix = tempNameBeside(target_);
    for (int attempt = 0;; ++attempt) {
        tempName_ = prefix + randomSuffix();
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, tempName_.constData(),
                     AT_SYMLINK_FOLLOW) == 0)
            break;
        const int error = errno;
        tempName_.clear();
        if (error != EEXIST || attempt == 100) fail(error);
    }
    if (::rename(tempName_.constData(), target_.constData()) != 0) fail(errno);
    tempName_.clear();
}

void ReplacingFileWriter::commit() {
    if (fd_ < 0) raiseFileError(EBADF);
    if (::fsync(fd_) != 0) fail(errno);
    if (unnamed_) {
        linkInPlace();
        ::close(fd_);
        fd_ = -1;
    } else {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) fail(errno);
        if (::rename(tempName_.constData(), target_.constData()) != 0) fail(errno);
        tempName_.clear();
    }
    // The new name itself on disk too.
    const int folder = ::open(folder_.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

} // namespace nubivu
