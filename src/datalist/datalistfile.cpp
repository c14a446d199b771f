#include "datalist/datalistfile.h"

#include "datalist/gridoperations.h"
#include "datalist/quotedline.h"
#include "datalist/sharedstate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nubivu {

namespace {

const char* const kCodePage = "Shift-JIS";

qsizetype nameStart(const QString& fileName) {
    const qsizetype slash = fileName.lastIndexOf(u'/');
    const qsizetype backslash = fileName.lastIndexOf(u'\\');
    return std::max(slash, backslash) + 1;
}

[[noreturn]] void raiseFileError(int error) { throw EInOutError(FileErrorMessage(error)); }

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

bool hasLineBreak(const QString& value) {
    for (const QChar ch : value)
        if (ch == u'\n' || ch == u'\r' || ch == QChar(0x1A)) return true;
    return false;
}

void appendLine(QString& text, const SlotPaths& fields, const QString& rowName,
                const SlotPaths& slotNames) {
    for (int s = 0; s < SlotCount; ++s) {
        if (hasLineBreak(fields[static_cast<size_t>(s)]))
            throw EDataListValue(
                QStringLiteral("%1の「%2」に改行が含まれているため、保存できません。\n"
                               "改行を含まない名前にしてから保存して下さい。")
                    .arg(rowName, slotNames[static_cast<size_t>(s)]));
    }
    text += JoinQuotedLine(fields.data(), SlotCount - 1);
    text += QStringView(u"\r\n");
}

} // namespace

QString FileErrorMessage(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR: return QStringLiteral("ファイルが見つかりません");
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ: return QStringLiteral("不正なファイル名です");
    case EMFILE:
    case ENFILE: return QStringLiteral("オープンしたファイルが多すぎます");
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return QStringLiteral("ファイルへのアクセスが拒否されました");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("ディスクがいっぱいです");
    default: return QStringLiteral("I/O エラー (%1)").arg(error);
    }
}

DataListVersion DataListVersionOf(const QString& fileName) {
    const QStringView name = QStringView(fileName).mid(nameStart(fileName));
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0) return DataListVersion::Other;
    const QStringView ext = name.mid(dot);
    if (ext == u".NV2") return DataListVersion::V2;
    if (ext == u".NVD") return DataListVersion::V1;
    return DataListVersion::Other;
}

QString DataListBaseName(const QString& fileName) {
    const QString name = fileName.mid(nameStart(fileName));
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString ResolveListPath(const QString& path) {
    if (path.isEmpty() || DataFileName.isEmpty() || QFileInfo(path).isAbsolute()) return path;
    return QDir::cleanPath(QFileInfo(DataFileName).absoluteDir().filePath(path));
}

QString DecodeDataListText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    QStringDecoder codePage(kCodePage);
    return codePage.decode(bytes);
}

std::vector<SlotPaths> ReadDataListLines(const QByteArray& bytes) {
    const qsizetype end = bytes.indexOf('\x1A');
    const QString text = DecodeDataListText(end < 0 ? bytes : bytes.left(end));
    std::vector<SlotPaths> rows;
    rows.reserve(static_cast<size_t>(text.count(u'\n') + 1));
    const QStringView all(text);
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype lf = all.indexOf(u'\n', start);
        if (lf < 0) lf = all.size();
        QStringView line = all.mid(start, lf - start);
        if (line.endsWith(u'\r')) line.chop(1);
        start = lf + 1;
        if (line.isEmpty()) continue;
        SplitQuotedLine(line, rows.emplace_back().data(), SlotCount - 1);
    }
    return rows;
}

std::optional<SlotPaths> ReadDataListFile(DataList& list, const QString& fileName) {
    if (fileName.isEmpty()) raiseFileError(ENOENT);
    QFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) raiseFileError(errno ? errno : EACCES);
    errno = 0;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) raiseFileError(errno ? errno : EIO);
    file.close();

    list.AppendDataRows(ReadDataListLines(bytes));
    switch (DataListVersionOf(fileName)) {
    case DataListVersion::V2: {
        // The first line is the titles; an empty file gives seven empty ones.
        const SlotPaths titles = list.Paths(1);
        list.SetCurrent(1, 1);
        GyoDelete(list);
        return titles;
    }
    case DataListVersion::V1: return defaultTitles();
    case DataListVersion::Other: return std::nullopt;
    }
    return std::nullopt;
}

QByteArray EncodeDataList(int dataRows, const DataRowLoader& loadRow,
                          const std::optional<SlotPaths>& titles, const SlotPaths& slotNames) {
    QString text;
    if (titles) appendLine(text, *titles, QStringLiteral("タイトル行"), slotNames);
    for (int r = 1; r <= dataRows; ++r)
        appendLine(text, loadRow(r), QStringLiteral("%1行目").arg(r), slotNames);

    // CP932 as the program always wrote, unless a character would not come
    // back from it as it was (including bytes that would read back as UTF-8).
    QStringEncoder codePage(kCodePage);
    QByteArray bytes = codePage.encode(text);
    if (!codePage.hasError() && DecodeDataListText(bytes) == text) return bytes;
    return text.toUtf8();
}

void SaveDataListFile(const QString& fileName, const QByteArray& bytes) {
    if (fileName.isEmpty()) raiseFileError(ENOENT);
    // Written by hand rather than through QSaveFile: it reports success for a
    // flush that was cut short (a full disk, a file size limit).
    const QByteArray target = QFile::encodeName(fileName);
    const QFileInfo info(fileName);
    if (info.fileName().toUtf8().size() > NAME_MAX) raiseFileError(ENAMETOOLONG);
    QByteArray temp = QFile::encodeName(info.absolutePath()) + "/." +
                      QFile::encodeName(info.fileName()) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) raiseFileError(errno);
    auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temp.constData());
        raiseFileError(error);
    };
    struct stat old {};
    const mode_t mode =
        ::stat(target.constData(), &old) == 0 ? (old.st_mode & 07777) : mode_t(0666 & ~currentUmask());
    if (::fchmod(fd, mode) != 0) fail(errno);
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        data += written;
        left -= written;
    }
    if (::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.constData());
        raiseFileError(error);
    }
    if (::rename(temp.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temp.constData());
        raiseFileError(error);
    }
}

} // namespace nubivu
