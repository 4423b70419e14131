#include "lettermarkers.h"

namespace {
struct Marker {
    const char16_t* letter;
    const char* marker;
};
// The order is the order of replacement; no marker contains another or a letter.
constexpr Marker kMarkers[] = {{u"\u00FC", "asc(252)"}, {u"\u00F6", "asc(246)"}, {u"\u00E4", "asc(228)"},
                               {u"\u00DF", "asc(223)"}, {u"\u00DC", "asc(220)"}, {u"\u00D6", "asc(214)"},
                               {u"\u00C4", "asc(196)"}};
} // namespace

void DecodeSpecialLetters(QString& text) {
    if (!text.contains(QLatin1String("asc(")))
        return;
    for (const Marker& m : kMarkers)
        text.replace(QLatin1String(m.marker), QString::fromUtf16(m.letter), Qt::CaseSensitive);
}

void EncodeSpecialLetters(QString& text) {
    for (const Marker& m : kMarkers)
        text.replace(QString::fromUtf16(m.letter), QLatin1String(m.marker), Qt::CaseSensitive);
}
