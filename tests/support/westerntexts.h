#pragma once
// Texts that all fit Windows-1252: German letters, the typographic characters of the bytes
// 0x80..0x9F and one of the five undefined bytes (0x81). The files in tests/data were written
// from these texts before any file could hold UTF-8, so a test that writes them again must
// get the very same bytes.
#include <QString>
#include <QStringList>
#include <QVector>
#include <utility>

namespace westerntexts {

inline QString chapterTitle() { return QStringLiteral("Grüße – Übung ß „eins“"); }

// Question and answer of every card of the chapter, in file order.
inline QVector<std::pair<QString, QString>> cards() {
    return {
        {QStringLiteral("die Straße"), QStringLiteral("the street")},
        {QStringLiteral("Äpfel, Öfen, Übel"), QStringLiteral("apples, ovens, evils")},
        {QStringLiteral("der Preis: 5 €"), QStringLiteral("the price: 5 € … ‚genau‘")},
        {QStringLiteral("„Anführung“"), QStringLiteral("‘quote’ “double” • – — ˜ ™")},
        {QStringLiteral("Šœž Ÿ ƒ ˆ ‰ ‹›"), QStringLiteral("Š Œ Ž † ‡")},
        {QStringLiteral("Müßiggang"), QStringLiteral("idleness \u0081 ÿ é à")},
        {QStringLiteral("plain"), QStringLiteral("ASCII only")},
    };
}

// The chapter list of the master database.
inline QStringList chapterPaths() {
    return {QStringLiteral("/home/jürgen/Übungen/Kapitel €1.qex"), QStringLiteral("/home/jürgen/Straße.qex")};
}

} // namespace westerntexts
