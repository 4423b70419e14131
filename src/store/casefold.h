#pragma once
// Text compared regardless of case, as every search of the programs does it: by Unicode
// simple case folding, which also matches the letters that lower-casing leaves apart (Greek
// final sigma and sigma, the Cherokee and Greek symbol forms).
#include <QString>
#include <QStringView>
#include <string>

// The folded text, written into `buffer` (reused from call to call, so that a search over
// a large deck does not make a new string for every text); valid while `buffer` is.
QStringView foldCase(QStringView text, std::u16string& buffer);
QString foldCase(const QString& text);
