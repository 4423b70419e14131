#pragma once
// Conversion between the programs' Unicode texts and the 8-bit text of their files
// (Windows-1252, so that files stay byte-compatible with those written on Windows).
#include <QByteArray>
#include <QString>

namespace Ansi {
// One byte per character; a character Windows-1252 cannot hold becomes '?'.
QByteArray encode(const QString& text);
QString decode(const char* data, qsizetype size);
inline QString decode(const QByteArray& bytes) { return decode(bytes.constData(), bytes.size()); }
// Writes what encode() would return into `out`, which has room for byteLength(text) bytes;
// returns the number of bytes written.
qsizetype encodeInto(const QString& text, char* out);
// The number of bytes encode() produces.
qsizetype byteLength(const QString& text);
} // namespace Ansi
