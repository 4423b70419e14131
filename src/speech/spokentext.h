#pragma once
// What a speech engine gets for a card face. A card text is written to be read; spoken
// as it stands the engine would spell out "asc(252)" and read "/" as "slash". So:
//
// - the special-letter markers become their letters;
// - a part in brackets ( ) [ ] { } （ ） keeps its words and loses the brackets, with a
//   pause (a comma) before and after it: "(to) go" -> "to, go";
// - the separators the typing drill takes between acceptable answers (",", ";", "/" and the
//   full-width "，" "；" "、") become a comma pause: "der/die/das" -> "der, die, das";
//   between two digits "," and "/" stay, since "1,5" and "3/4" are numbers;
// - runs of spaces become one, and nothing is spoken before the first word or after the
//   last; other punctuation ("?", "!", ".") stays for the engine's intonation.
//
// A plain word comes back unchanged. A face with nothing to say gives an empty text.
#include <QString>

namespace speech {

QString spokenText(const QString& face);

} // namespace speech
