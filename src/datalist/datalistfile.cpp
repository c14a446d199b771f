#include "datalist/datalistfile.h"

#include "datalist/codepage.h"
#include "datalist/quotedline.h"
#include "datalist/replacingfilewriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace nubivu {

namespace {

qsizetype nameStart(const QString& fileName) {
    const qsizetype slash = fileName.lastIndexOf(u'/');
    const qsizetype backslash = fileName.lastIndexOf(u'\\');
    return std::max(slash, backslash) + 1;
}

const QString kNotADataList = QStringLiteral("データリストファイルとして読み込めません。");

bool isAscii(const QByteArray& bytes) {
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    for (; end - p >= 8; p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ull) return false;
    }
    for (; p < end; ++p)
        if (uchar(*p) >= 0x80) return false;
    return true;
}

} // namespace

QString fileErrorMessage(int error) {
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

DataListVersion dataListVersionOf(const QString& fileName) {
    const QStringView name = QStringView(fileName).mid(nameStart(fileName));
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0) return DataListVersion::Other;
    const QStringView ext = name.mid(dot);
    if (ext == u".NV2") return DataListVersion::V2;
    if (ext == u".NVD") return DataListVersion::V1;
    return DataListVersion::Other;
}

bool isDataListFileName(const QString& fileName) {
    const QStringView name = QStringView(fileName).mid(nameStart(fileName));
    return name.endsWith(u".NV2", Qt::CaseInsensitive) ||
           name.endsWith(u".NVD", Qt::CaseInsensitive);
}

QString dataListBaseName(const QString& fileName) {
    const QString name = fileName.mid(nameStart(fileName));
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString resolveListPath(const QString& path, const QString& listFile) {
    if (path.isEmpty() || listFile.isEmpty() || QFileInfo(path).isAbsolute()) return path;
    return QDir::cleanPath(QFileInfo(listFile).absoluteDir().filePath(path));
}

QString rebaseListPath(const QString& path, const QString& fromList, const QString& toList) {
    return ListPathRebaser(fromList, toList)(path);
}

ListPathRebaser::ListPathRebaser(const QString& fromList, const QString& toList,
                                 FullPaths fullPaths) {
    to_ = QDir::cleanPath(QFileInfo(toList).absolutePath());
    relativeBelow_ = fullPaths == FullPaths::RelativeBelow;
    moves_ = relativeBelow_;
    // Loading takes a relative path from the list's folder; a list without a
    // file has no folder to move from.
    if (fromList.isEmpty()) return;
    from_ = QDir::cleanPath(QFileInfo(fromList).absolutePath());
    moves_ = moves_ || from_ != to_;
}

namespace {
// The path from folder to picture when the picture lies below it.
std::optional<QString> relativeBelow(const QString& folder, const QString& picture) {
    const QString relative = QDir(folder).relativeFilePath(picture);
    if (relative == u".." || relative.startsWith(u"../") || QFileInfo(relative).isAbsolute())
        return std::nullopt;
    return relative;
}
} // namespace

QString ListPathRebaser::operator()(const QString& path) const {
    if (!moves_ || path.isEmpty() || path.contains(u'\\') ||
        (path.size() >= 2 && path[1] == u':' && path[0].isLetter()))
        return path;
    if (QFileInfo(path).isAbsolute()) {
        if (!relativeBelow_) return path;
        return relativeBelow(to_, QDir::cleanPath(path)).value_or(path);
    }
    if (from_.isEmpty()) return path;
    const QString picture = QDir::cleanPath(from_ + u'/' + path);
    return relativeBelow(to_, picture).value_or(picture);
}

SlotPaths ListPathRebaser::operator()(SlotPaths paths) const {
    if (moves_)
        for (QString& p : paths) p = (*this)(p);
    return paths;
}

namespace {

// UTF-8 already checked as valid into out (room for bytes.size() characters).
// A U+FEFF stays: only the file's own byte-order mark is dropped, before the
// lines are split, so a value that begins with one reads back as written.
qsizetype decodeValidUtf8(std::string_view bytes, char16_t* out) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    qsizetype n = 0;
    while (p < end) {
        // Paths are mostly ASCII: eight bytes at a time while they are.
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ull) break;
            for (int i = 0; i < 8; ++i) out[n + i] = p[i];
            n += 8;
            p += 8;
        }
        if (p >= end) break;
        const unsigned char c = *p;
        if (c < 0x80) {
            out[n++] = c;
            ++p;
        } else if (c < 0xE0) {
            out[n++] = char16_t((c & 0x1F) << 6 | (p[1] & 0x3F));
            p += 2;
        } else if (c < 0xF0) {
            out[n++] = char16_t((c & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
            p += 3;
        } else {
            const char32_t code = char32_t(c & 0x07) << 18 | char32_t(p[1] & 0x3F) << 12 |
                                  char32_t(p[2] & 0x3F) << 6 | char32_t(p[3] & 0x3F);
            out[n++] = QChar::highSurrogate(code);
            out[n++] = QChar::lowSurrogate(code);
            p += 4;
        }
    }
    return n;
}

// Lines in the text, the last one unended included: memchr finds a line end
// many bytes at a time, where a loop over every byte would not.
size_t lineCount(std::string_view all) {
    size_t lines = 1;
    for (const char* p = all.data();
         const void* lf = std::memchr(p, '\n', size_t(all.data() + all.size() - p)); ++lines)
        p = static_cast<const char*>(lf) + 1;
    return lines;
}

// The rows of the text before its end (byte 1A), in the one encoding given.
std::vector<PackedRow> readRows(std::string_view all, bool utf8) {
    // Lines are split on their bytes and each run of a value decoded straight
    // into the row's one buffer: no copy of the text is made on the way.
    std::vector<PackedRow> rows;
    rows.reserve(lineCount(all));
    std::u16string text;
    RowBlocks blocks;
    size_t start = 0;
    while (start < all.size()) {
        const void* lf = std::memchr(all.data() + start, '\n', all.size() - start);
        const size_t end = lf ? size_t(static_cast<const char*>(lf) - all.data()) : all.size();
        std::string_view line = all.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        start = end + 1;
        if (line.empty()) continue;
        // Decoded text is never longer than its bytes.
        if (text.size() < line.size()) text.resize(line.size());
        PackedRow::Ends ends;
        qsizetype at = 0;
        size_t done = 0; // slots whose end is set
        auto closeSlotsBefore = [&](size_t slot) {
            for (; done < slot; ++done) ends[done] = std::uint32_t(at);
        };
        splitQuotedRuns(line.data(), qsizetype(line.size()), int(SlotCount) - 1,
                        [&](int slot, const char* run, qsizetype length) {
                            closeSlotsBefore(size_t(slot));
                            char16_t* out = text.data() + at;
                            at += utf8 ? decodeValidUtf8(std::string_view(run, size_t(length)), out)
                                       : decodeCodePage(QByteArrayView(run, length), out);
                        });
        closeSlotsBefore(SlotCount);
        rows.push_back(blocks.pack(QStringView(text.data(), at), ends));
    }
    return rows;
}

} // namespace

std::vector<PackedRow> readDataListRows(const QByteArray& bytes) {
    std::string_view all(bytes.constData(), size_t(bytes.size()));
    if (const void* stop = std::memchr(all.data(), '\x1A', all.size()))
        all = all.substr(0, size_t(static_cast<const char*>(stop) - all.data()));
    const bool utf8 = isValidUtf8(QByteArray::fromRawData(all.data(), qsizetype(all.size())));
    if (utf8 && all.substr(0, 3) == "\xEF\xBB\xBF") all.remove_prefix(3);
    return readRows(all, utf8);
}

SlotPaths pathsOf(const PackedRow& row) {
    SlotPaths paths;
    for (int s = 0; s < SlotCount; ++s) paths[size_t(s)] = row.cell(s).toString();
    return paths;
}

std::vector<SlotPaths> readDataListLines(const QByteArray& bytes) {
    const std::vector<PackedRow> packed = readDataListRows(bytes);
    std::vector<SlotPaths> rows;
    rows.reserve(packed.size());
    for (const PackedRow& row : packed) rows.push_back(pathsOf(row));
    return rows;
}

DataListFileContent loadDataListFile(const QString& fileName) {
    // The file is named in every message: Open may have been reached without
    // a dialog (a drop, the command line, a second copy).
    auto failWith = [&](const QString& text) -> DataListFileContent {
        throw EInOutError(QStringLiteral("%1\n%2").arg(text, fileName));
    };
    if (fileName.isEmpty()) return failWith(fileErrorMessage(ENOENT));
    QFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) return failWith(fileErrorMessage(errno ? errno : EACCES));
    errno = 0;
    QByteArray bytes;
    try {
        bytes = file.readAll();
    } catch (const std::bad_alloc&) {
        return failWith(fileErrorMessage(ENOMEM));
    }
    if (file.error() != QFileDevice::NoError)
        return failWith(fileErrorMessage(errno ? errno : EIO));
    file.close();
    // A list is text: a NUL byte before its end is a picture or some other
    // binary file chosen by mistake.
    const void* stop = std::memchr(bytes.constData(), '\x1A', size_t(bytes.size()));
    const size_t textBytes =
        stop ? size_t(static_cast<const char*>(stop) - bytes.constData()) : size_t(bytes.size());
    if (std::memchr(bytes.constData(), 0, textBytes))
        throw EDataListFormat(QStringLiteral("%1\n%2").arg(kNotADataList, fileName));

    DataListFileContent content;
    content.rows = readDataListRows(bytes);
    switch (dataListVersionOf(fileName)) {
    case DataListVersion::V2:
        // The first line is the titles; an empty file gives seven empty ones.
        content.titles = content.rows.empty() ? SlotPaths{} : pathsOf(content.rows.front());
        if (!content.rows.empty()) content.rows.erase(content.rows.begin());
        break;
    case DataListVersion::V1: content.titles = defaultTitles(); break;
    case DataListVersion::Other: break;
    }
    return content;
}

std::optional<SlotPaths> readDataListFile(DataList& list, const QString& fileName) {
    DataListFileContent content = loadDataListFile(fileName);
    list.appendRows(std::move(content.rows));
    return content.titles;
}

namespace {

[[noreturn]] void refuseValue(const QString& rowName, const SlotPaths& slotNames, size_t slot) {
    throw EDataListValue(QStringLiteral("%1の「%2」に改行が含まれているため、保存できません。\n"
                                        "改行を含まない名前にしてから保存して下さい。")
                             .arg(rowName, slotNames[slot]));
}

// The two characters that would cut a value apart when read back: LF ends
// the line, 1A the file. A lone CR stays in the value, as the reader keeps it.
constexpr bool isLineBreak(char16_t ch) { return ch == u'\n' || ch == 0x1A; }

// The file's text line by line in one pass: CP932 as the program always
// wrote, while every character comes back from it as it was; from the first
// one that does not, UTF-16 for UTF-8. Nothing of a row is kept but its
// bytes: the text before the switch is read back from them, which is exact
// for every line without a byte escape, and those lines are kept aside.
class ListEncoder {
public:
    explicit ListEncoder(const SlotPaths& slotNames)
        : slotNames_(slotNames), code_(codePageEncodeTable()) {}

    template <class RowName> void add(const SlotPaths& fields, RowName&& rowName) {
        if (fits_) {
            const qsizetype from = used_;
            bool escape = false;
            if (addCodePage(fields, escape, rowName)) {
                if (escape) escaped_.push_back({from, used_, fields});
                return;
            }
            used_ = from;
            startText();
        }
        addText(fields, rowName);
    }

    QByteArray finish() {
        if (fits_) {
            bytes_.truncate(used_);
            // Bytes that would read back as UTF-8 are written as UTF-8 (plain
            // ASCII reads the same either way), and so are byte escapes that
            // pair up with the character after them.
            if ((isAscii(bytes_) || !isValidUtf8(bytes_)) && escapesReadBack()) return bytes_;
            startText();
        }
        text_.truncate(textUsed_);
        return text_.toUtf8();
    }

private:
    struct EscapedLine {
        qsizetype from;
        qsizetype to; // CR LF included
        SlotPaths fields;
    };

    template <class RowName>
    bool addCodePage(const SlotPaths& fields, bool& escape, RowName& rowName) {
        qsizetype need = 3 * SlotCount + 2;
        for (const QString& f : fields) need += 2 * f.size();
        if (bytes_.size() < used_ + need) bytes_.resize(std::max(used_ + need, 2 * bytes_.size()));
        char* out = bytes_.data() + used_;
        qsizetype n = 0;
        for (size_t s = 0; s < SlotCount; ++s) {
            if (s > 0) {
                out[n++] = '"';
                out[n++] = ',';
            }
            out[n++] = '"';
            for (const QChar qc : fields[s]) {
                const char16_t ch = qc.unicode();
                if (isLineBreak(ch)) refuseValue(rowName(), slotNames_, s);
                const std::uint16_t code = code_[ch];
                if (code == 0 && ch != 0) return false;
                if (code > 0xFF) out[n++] = char(code >> 8);
                out[n++] = char(code & 0xFF);
                // A double quote inside a value is written twice.
                if (ch == u'"') out[n++] = '"';
                escape = escape || (ch >= kByteEscapeBase + 0x80 && ch <= kByteEscapeBase + 0xFF);
            }
        }
        out[n++] = '"';
        out[n++] = '\r';
        out[n++] = '\n';
        used_ += n;
        return true;
    }

    template <class RowName> void addText(const SlotPaths& fields, RowName& rowName) {
        qsizetype need = 3 * SlotCount + 2;
        for (const QString& f : fields) need += 2 * f.size();
        if (text_.size() < textUsed_ + need)
            text_.resize(std::max(textUsed_ + need, 2 * text_.size()));
        char16_t* out = reinterpret_cast<char16_t*>(text_.data()) + textUsed_;
        qsizetype n = 0;
        for (size_t s = 0; s < SlotCount; ++s) {
            if (s > 0) {
                out[n++] = u'"';
                out[n++] = u',';
            }
            out[n++] = u'"';
            for (const QChar qc : fields[s]) {
                const char16_t ch = qc.unicode();
                if (isLineBreak(ch)) refuseValue(rowName(), slotNames_, s);
                out[n++] = ch;
                if (ch == u'"') out[n++] = u'"';
            }
        }
        out[n++] = u'"';
        out[n++] = u'\r';
        out[n++] = u'\n';
        textUsed_ += n;
    }

    // The bytes written so far as text, to go on in UTF-16.
    void startText() {
        fits_ = false;
        QString text;
        text.reserve(used_ + used_ / 4);
        qsizetype at = 0;
        auto decode = [&](qsizetype to) {
            text.append(decodeCodePage(QByteArrayView(bytes_.constData() + at, to - at)));
        };
        for (const EscapedLine& line : escaped_) {
            decode(line.from);
            putQuotedLine(line.fields.data(), SlotCount - 1,
                          [&](QStringView piece) { text.append(piece); });
            text.append(QStringView(u"\r\n"));
            at = line.to;
        }
        decode(used_);
        text_ = std::move(text);
        textUsed_ = text_.size();
        bytes_ = QByteArray();
        escaped_.clear();
    }

    bool escapesReadBack() const {
        for (const EscapedLine& line : escaped_) {
            const std::vector<PackedRow> back = readRows(
                std::string_view(bytes_.constData() + line.from, size_t(line.to - line.from)),
                false);
            if (back.size() != 1 || pathsOf(back.front()) != line.fields) return false;
        }
        return true;
    }

    const SlotPaths& slotNames_;
    const std::uint16_t* code_;
    bool fits_ = true;
    QByteArray bytes_;
    qsizetype used_ = 0;
    std::vector<EscapedLine> escaped_;
    QString text_;
    qsizetype textUsed_ = 0;
};

} // namespace

QByteArray encodeDataList(int dataRows, const DataRowLoader& loadRow,
                          const std::optional<SlotPaths>& titles, const SlotPaths& slotNames) {
    // Every row is loaded once, in order, before anything is written.
    ListEncoder encoder(slotNames);
    if (titles) encoder.add(*titles, [] { return QStringLiteral("タイトル行"); });
    for (int r = 0; r < dataRows; ++r)
        encoder.add(loadRow(r), [r] { return QStringLiteral("%1行目").arg(r + 1); });
    return encoder.finish();
}

void saveDataListFile(const QString& fileName, const QByteArray& bytes) {
    // Written by hand rather than through QSaveFile: it reports success for a
    // flush that was cut short (a full disk, a file size limit), follows no
    // symbolic link and leaves a named temporary file when the program dies.
    ReplacingFileWriter writer(fileName);
    writer.write(bytes);
    writer.commit();
}

} // namespace nubivu
