#pragma once
// The seven German special letters travel through chapter files as the markers
// "asc(252)" ... "asc(196)", and a chapter file is recognised by its comment. Both programs
// need these, so they live apart from the deck.
#include <QString>

// The comment that marks a record store as a chapter file. Its version number is fixed: it
// does not follow the editor's own version.
inline QString chapterMark() { return QStringLiteral("generated automatically by the Quarnel Editor v1.21"); }

// Replaces every marker by its letter.
void DecodeSpecialLetters(QString& text);
// Replaces every special letter by its marker.
void EncodeSpecialLetters(QString& text);
