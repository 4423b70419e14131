#pragma once
// The texts of every data file, in one of two encodings chosen per file when it is written:
// Windows-1252 when every text fits it (the file is then byte for byte what the Windows
// program writes), UTF-8 otherwise, with a marker that each format keeps in its own way.
// Every format reads and writes its texts through these functions and converts nothing
// itself. No windows, no file access.
#include <QByteArray>
#include <QString>

enum class TextEncoding { Windows1252, Utf8 };

namespace FileText {
// The 5 bytes that mark a file as UTF-8 ("UTF-8").
inline constexpr char kMarker[] = "UTF-8";
inline constexpr int kMarkerSize = 5;

// True when Windows-1252 holds every character of `text`.
bool fitsWindows1252(const QString& text);

// Decides the encoding of a file from all its texts: feed every text, then ask.
class EncodingChoice {
public:
    void add(const QString& text) {
        if (!m_utf8 && !fitsWindows1252(text))
            m_utf8 = true;
    }
    TextEncoding encoding() const { return m_utf8 ? TextEncoding::Utf8 : TextEncoding::Windows1252; }

private:
    bool m_utf8 = false;
};

// Bytes `text` takes as Windows-1252, and in the same pass whether that holds all of it
// (`fits` is cleared, never set): a writer measures and chooses at once.
qsizetype windows1252Length(const QString& text, bool& fits);

// Bytes `text` takes in `encoding`. Windows-1252 counts a character it can't hold as one
// byte; UTF-8 counts an unpaired surrogate as the 3 bytes of U+FFFD.
qsizetype byteLength(const QString& text, TextEncoding encoding);
// Writes the text into `out`, which has room for byteLength(text, encoding) bytes; returns
// the number of bytes written.
qsizetype encodeInto(const QString& text, TextEncoding encoding, char* out);
QByteArray encode(const QString& text, TextEncoding encoding);

// Decodes untrusted bytes. UTF-8: every byte sequence that is not well-formed (a stray or
// missing continuation byte, an overlong form, an encoded surrogate, a code point above
// U+10FFFF, a sequence cut by the end) becomes U+FFFD; nothing past `size` is ever read.
QString decode(const char* data, qsizetype size, TextEncoding encoding);
inline QString decode(const QByteArray& bytes, TextEncoding encoding) {
    return decode(bytes.constData(), bytes.size(), encoding);
}
QString decodeUtf8(const char* data, qsizetype size);
} // namespace FileText
