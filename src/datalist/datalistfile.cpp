#include "datalist/datalistfile.h"

#include "datalist/codepage.h"
#include "datalist/gridoperations.h"
#include "datalist/quotedline.h"
#include "datalist/sharedstate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nubivu {

namespace {

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

bool isAscii(const QByteArray& bytes) {
    for (const char c : bytes)
        if (uchar(c) >= 0x80) return false;
    return true;
}

bool hasLineBreak(const QString& value) {
    for (const QChar ch : value)
        if (ch == u'\n' || ch == u'\r' || ch == QChar(0x1A)) return true;
    return false;
}

void checkValues(const SlotPaths& fields, const QString& rowName, const SlotPaths& slotNames) {
    for (int s = 0; s < SlotCount; ++s) {
        if (hasLineBreak(fields[static_cast<size_t>(s)]))
            throw EDataListValue(
                QStringLiteral("%1の「%2」に改行が含まれているため、保存できません。\n"
                               "改行を含まない名前にしてから保存して下さい。")
                    .arg(rowName, slotNames[static_cast<size_t>(s)]));
    }
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
    return IsValidUtf8(bytes) ? QString::fromUtf8(bytes) : DecodeCodePage(bytes);
}

std::vector<SlotPaths> ReadDataListLines(const QByteArray& bytes) {
    const qsizetype stop = bytes.indexOf('\x1A');
    const std::string_view all(bytes.constData(), size_t(stop < 0 ? bytes.size() : stop));
    const bool utf8 = IsValidUtf8(QByteArray::fromRawData(all.data(), qsizetype(all.size())));
    // Lines are split on their bytes and each value decoded on its own: no
    // copy of the whole text is made on the way.
    std::vector<SlotPaths> rows;
    rows.reserve(size_t(std::count(all.begin(), all.end(), '\n') + 1));
    std::string fields[SlotCount];
    size_t start = 0;
    while (start < all.size()) {
        size_t lf = all.find('\n', start);
        if (lf == std::string_view::npos) lf = all.size();
        std::string_view line = all.substr(start, lf - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        start = lf + 1;
        if (line.empty()) continue;
        SplitQuotedLine(line, fields, SlotCount - 1);
        SlotPaths& row = rows.emplace_back();
        for (size_t s = 0; s < SlotCount; ++s) {
            if (fields[s].empty()) continue;
            const QByteArrayView value(fields[s].data(), qsizetype(fields[s].size()));
            row[s] = utf8 ? QString::fromUtf8(value) : DecodeCodePage(value);
        }
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
    // Every row is loaded once, before anything is written.
    std::vector<SlotPaths> lines;
    lines.reserve(size_t(std::max(dataRows, 0)) + 1);
    qsizetype chars = 0;
    auto take = [&](SlotPaths fields, const QString& rowName) {
        checkValues(fields, rowName, slotNames);
        for (const QString& f : fields) chars += f.size() + 3;
        lines.push_back(std::move(fields));
    };
    if (titles) take(*titles, QStringLiteral("タイトル行"));
    for (int r = 1; r <= dataRows; ++r) take(loadRow(r), QStringLiteral("%1行目").arg(r));

    // CP932 as the program always wrote, unless a character would not come
    // back from it as it was: one without a code there, or bytes that would
    // read back as UTF-8 (then they are not plain ASCII, which reads the same).
    QByteArray bytes;
    bytes.reserve(chars * 2);
    bool fits = true;
    for (const SlotPaths& fields : lines) {
        PutQuotedLine(fields.data(), SlotCount - 1,
                      [&](QStringView piece) { fits = fits && AppendCodePage(bytes, piece); });
        bytes.append("\r\n", 2);
        if (!fits) break;
    }
    if (fits && (isAscii(bytes) || !IsValidUtf8(bytes))) return bytes;
    QString text;
    text.reserve(chars);
    for (const SlotPaths& fields : lines) {
        PutQuotedLine(fields.data(), SlotCount - 1, [&](QStringView piece) { text.append(piece); });
        text.append(QStringView(u"\r\n"));
    }
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
