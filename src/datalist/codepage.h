#pragma once
// The system code page of the data list files, CP932 (Shift-JIS), and the
// UTF-8 test that tells the two apart. Lists run to 100,000 rows, so the
// conversions go through tables built once from the platform's converter;
// bytes below 80 are ASCII, and a byte that starts no character (80, A0,
// FD-FF, a lead byte without its second byte) reads as the private-use
// character U+F700 + byte, which writes back as that same byte: such a list
// goes through Open and Save unchanged.
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace nubivu {

// U+F780 .. U+F7FF: no character of the code page maps there.
constexpr char16_t kByteEscapeBase = 0xF700;
bool isByteEscape(QChar ch);

bool isValidUtf8(const QByteArray& bytes);

QString decodeCodePage(QByteArrayView bytes);
// The same into out, which has room for bytes.size() characters; returns how
// many were written.
qsizetype decodeCodePage(QByteArrayView bytes, char16_t* out);

// Appends the text's bytes to out; false (out then holds a part) when a
// character has no code.
bool appendCodePage(QByteArray& out, QStringView text);
// For writers that encode character by character: the bytes of each UTF-16
// unit (one byte below 0x100, else lead << 8 | trail), 0 where it has none;
// U+0000 is the one character whose code is 0. 65,536 entries.
const std::uint16_t* codePageEncodeTable();

} // namespace nubivu
