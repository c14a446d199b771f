#include "datalist/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace nubivu {

namespace {

const char* const kCodePage = "Shift-JIS";
constexpr char16_t kNone = 0xFFFF; // no single character: left to the converter

struct Tables {
    std::array<char16_t, 256> single{};
    // [lead][trail] for lead bytes; empty rows for bytes that are no lead.
    std::array<std::unique_ptr<std::array<char16_t, 256>>, 256> pair;
    // Character -> its bytes (one byte: < 0x100; two: lead << 8 | trail); 0: none.
    std::vector<uint16_t> encode = std::vector<uint16_t>(0x10000, 0);
};

char16_t oneChar(const QString& s) {
    // The converter stands in U+001A (and sometimes U+FFFD) for bytes it has
    // no character for; a 1A read from a list would end it, so neither counts.
    if (s.size() != 1 || s[0] == QChar::ReplacementCharacter || s[0].unicode() == 0x1A)
        return kNone;
    return isByteEscape(s[0]) ? kNone : s[0].unicode();
}

const Tables& tables() {
    static const std::unique_ptr<Tables> built = [] {
        auto t = std::make_unique<Tables>();
        QStringDecoder decoder(kCodePage, QStringDecoder::Flag::Stateless);
        // Bytes below 80 are ASCII in CP932, control codes and backslash
        // included; the converter's IBM variant would swap 1A, 1C and 7F, and
        // a 1A is where a list file ends.
        for (int b = 0; b < 0x80; ++b) t->single[size_t(b)] = char16_t(b);
        for (int b = 0x80; b < 256; ++b)
            t->single[size_t(b)] = oneChar(decoder.decode(QByteArray(1, char(b))));
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (t->single[size_t(lead)] != kNone) continue;
            auto row = std::make_unique<std::array<char16_t, 256>>();
            row->fill(kNone);
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const char bytes[2] = {char(lead), char(trail)};
                (*row)[size_t(trail)] = oneChar(decoder.decode(QByteArrayView(bytes, 2)));
            }
            t->pair[size_t(lead)] = std::move(row);
        }
        // A character is encodable when the converter's bytes for it decode
        // back to it through the tables above.
        for (char16_t ch = 1; ch < 0x80; ++ch) t->encode[ch] = ch;
        for (int b = 0x80; b < 0x100; ++b) t->encode[kByteEscapeBase + b] = uint16_t(b);
        QStringEncoder encoder(kCodePage, QStringEncoder::Flag::Stateless);
        auto add = [&](char16_t ch) {
            if (ch == kNone || t->encode[ch] != 0) return;
            const QByteArray bytes = encoder.encode(QStringView(&ch, 1));
            if (encoder.hasError()) return;
            if (bytes.size() == 1 && t->single[uchar(bytes[0])] == ch)
                t->encode[ch] = uchar(bytes[0]);
            else if (bytes.size() == 2 && t->pair[uchar(bytes[0])] &&
                     (*t->pair[uchar(bytes[0])])[uchar(bytes[1])] == ch)
                t->encode[ch] = uint16_t(uchar(bytes[0]) << 8 | uchar(bytes[1]));
        };
        for (int b = 1; b < 256; ++b) add(t->single[size_t(b)]);
        for (const auto& row : t->pair)
            if (row)
                for (char16_t ch : *row) add(ch);
        return t;
    }();
    return *built;
}

} // namespace

bool isByteEscape(QChar ch) {
    return ch.unicode() >= kByteEscapeBase + 0x80 && ch.unicode() <= kByteEscapeBase + 0xFF;
}

bool isValidUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* end = p + bytes.size();
    while (p < end) {
        // Plain ASCII runs, eight bytes at a time.
        while (end - p >= 8) {
            uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ull) break;
            p += 8;
        }
        if (p >= end) break;
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int more;
        uint32_t code;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= more) return false;
        for (int i = 1; i <= more; ++i) {
            if ((p[i] & 0xC0) != 0x80) return false;
            code = code << 6 | (p[i] & 0x3F);
        }
        // No overlong forms, no surrogates, nothing past U+10FFFF.
        if ((more == 2 && code < 0x800) || (more == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        p += more + 1;
    }
    return true;
}

QString decodeCodePage(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    text.truncate(decodeCodePage(bytes, reinterpret_cast<char16_t*>(text.data())));
    return text;
}

qsizetype decodeCodePage(QByteArrayView bytes, char16_t* out) {
    const Tables& t = tables();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    qsizetype n = 0;
    while (p < end) {
        char16_t ch = t.single[*p];
        if (ch != kNone) {
            out[n++] = ch;
            ++p;
            continue;
        }
        const auto& row = t.pair[*p];
        if (!row || end - p < 2 || (ch = (*row)[p[1]]) == kNone) {
            // A byte that starts no character stands for itself, to be written back as it was.
            out[n++] = char16_t(kByteEscapeBase + *p);
            ++p;
            continue;
        }
        out[n++] = ch;
        p += 2;
    }
    return n;
}

bool appendCodePage(QByteArray& out, QStringView text) {
    const Tables& t = tables();
    const qsizetype start = out.size();
    out.resize(start + text.size() * 2);
    char* to = out.data() + start;
    qsizetype n = 0;
    for (const QChar c : text) {
        const char16_t ch = c.unicode();
        const uint16_t code = ch == 0 ? 0 : t.encode[ch];
        if (code == 0 && ch != 0) {
            out.truncate(start + n);
            return false;
        }
        if (code > 0xFF) to[n++] = char(code >> 8);
        to[n++] = char(code & 0xFF);
    }
    out.truncate(start + n);
    return true;
}

const std::uint16_t* codePageEncodeTable() { return tables().encode.data(); }

} // namespace nubivu
