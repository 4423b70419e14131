#pragma once
// The language of one side of a chapter, guessed from its texts when the user has set none.
//
// The rule, in two steps:
//
// 1. The script. Each text votes for the script most of its letters are written in (digits,
//    punctuation and combining marks do not count; Han, hiragana and katakana count as one
//    script). The side's script is the one most texts vote for; a tie goes to the script
//    with more letters over all texts, then to the one met first. Cyrillic gives "ru"
//    ("uk" when a text holds і ї є ґ, "sr" when one holds ђ ћ џ љ њ ј), Hangul "ko", Han
//    with kana in any text "ja", Han alone "zh", Arabic "ar" ("fa" with پ چ ژ گ), Hebrew
//    "he", Greek "el", Devanagari "hi", Thai "th", Armenian "hy", Georgian "ka", Bengali
//    "bn", Tamil "ta".
//
// 2. For Latin script, the letters only some languages use. Every such letter in any text
//    (after lower-casing; each occurrence counts) adds points to the languages that use it:
//    3 for a sign (ß German; ñ ¿ ¡ Spanish; ø æ Danish/Norwegian; ã õ Portuguese;
//    ł ą ę ś ź ż ń Polish; ő ű Hungarian; ř ě ů Czech; ğ ş ı İ Turkish; ă ș ț Romanian;
//    ì ò Italian... the full table is in the source), fewer for letters several languages
//    share (ä ö ü 2 for German, 1 or 2 for Swedish, Turkish, Hungarian; é 1 for French).
//    The language with the most points wins when it has at least 2; a tie goes to the one
//    listed first in the table (German before Swedish, Portuguese before French). So
//    "Mädchen" is German, "café" alone is too weak a sign, and German written without
//    umlaut or ß gives the fallback. Danish/Norwegian is "nb" (or "nn") when the fallback
//    locale is Norwegian, else "da".
//
// Otherwise, and for texts without letters, the fallback locale's language ("en" for the C
// locale). The `asc(nnn)` special-letter markers are decoded before anything is counted.
#include <QLocale>
#include <QString>
#include <QStringList>

namespace speech {

QString guessLanguage(const QStringList& texts, const QLocale& fallback);

} // namespace speech
