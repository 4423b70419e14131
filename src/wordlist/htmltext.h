#pragma once
// The text of a field written as HTML by another flash-card program, as one line for a card:
// tags dropped, line and block breaks (<br>, <div>, <p>, <li> ...) turned into a space, runs
// of white space folded into one space, character references decoded (the named ones such
// fields hold, decimal and hexadecimal ones), and media references removed and counted:
// `[sound:NAME]` and `<img ...>`. The text of <script> and <style> elements and comments go
// too. Input is untrusted: any text gives a result in one pass, never more than its length.
#include <QString>
#include <QStringView>

namespace wordlist {

struct HtmlText {
    QString text;
    int sounds = 0; // [sound:...] references removed
    int images = 0; // <img> elements removed
};

HtmlText htmlToText(QStringView html);

// Only the media references removed and counted, for a field that is not HTML.
HtmlText withoutMedia(QStringView text);

} // namespace wordlist
