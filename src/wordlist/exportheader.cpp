#include "exportheader.h"

namespace wordlist {

namespace {

char separatorFor(const QString& value) {
    const QString v = value.trimmed().toLower();
    if (v == QStringLiteral("tab") || value == QStringLiteral("\t"))
        return '\t';
    if (v == QStringLiteral("comma") || v == QStringLiteral(","))
        return ',';
    if (v == QStringLiteral("semicolon") || v == QStringLiteral(";"))
        return ';';
    if (v == QStringLiteral("space") || value == QStringLiteral(" "))
        return ' ';
    if (v == QStringLiteral("pipe") || v == QStringLiteral("|"))
        return '|';
    if (v == QStringLiteral("colon") || v == QStringLiteral(":"))
        return ':';
    return 0;
}

// A 1-based column number; -1 when it is none.
int columnFor(const QString& value) {
    bool ok = false;
    const int n = value.trimmed().toInt(&ok);
    return ok && n >= 1 && n <= 1024 ? n - 1 : -1;
}

} // namespace

bool ExportHeader::isMetaColumn(int column) const {
    return column >= 0 &&
           (column == tagsColumn || column == guidColumn || column == notetypeColumn || column == deckColumn);
}

QStringList ExportHeader::columnNames(char sep) const {
    if (columnsText.isEmpty())
        return {};
    return columnsText.split(QChar(sep ? sep : '\t'));
}

void ExportHeader::defaultColumns(int& front, int& back) const {
    int found = 0;
    for (int c = 0; found < 2 && c < 1024 + 2; ++c) {
        if (isMetaColumn(c))
            continue;
        (found++ == 0 ? front : back) = c;
    }
}

ExportHeader readExportHeader(const QByteArray& text, bool complete) {
    ExportHeader h;
    qsizetype pos = 0;
    while (pos < text.size() && text.at(pos) == '#') {
        qsizetype end = pos;
        while (end < text.size() && text.at(end) != '\n' && text.at(end) != '\r')
            ++end;
        if (end >= text.size() && !complete)
            break;
        const QString line = QString::fromUtf8(text.constData() + pos + 1, end - pos - 1);
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0)
            break;
        const QString name = line.left(colon).trimmed().toLower();
        const QString value = line.mid(colon + 1);
        if (name == QStringLiteral("separator"))
            h.separator = separatorFor(value);
        else if (name == QStringLiteral("html"))
            h.html = value.trimmed().compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
        else if (name == QStringLiteral("columns"))
            h.columnsText = value;
        else if (name == QStringLiteral("tags column"))
            h.tagsColumn = columnFor(value);
        else if (name == QStringLiteral("guid column"))
            h.guidColumn = columnFor(value);
        else if (name == QStringLiteral("notetype column"))
            h.notetypeColumn = columnFor(value);
        else if (name == QStringLiteral("deck column"))
            h.deckColumn = columnFor(value);
        else if (name == QStringLiteral("deck"))
            h.deck = value.trimmed();
        else if (name == QStringLiteral("notetype"))
            h.notetype = value.trimmed();
        else
            break; // a card that starts with '#', or a setting not known here: a row
        // The line end: CR LF, LF or CR.
        if (end < text.size() && text.at(end) == '\r') {
            ++end;
            if (end < text.size() && text.at(end) == '\n')
                ++end;
        } else if (end < text.size()) {
            ++end;
        }
        pos = end;
        ++h.lines;
        h.bytes = pos;
    }
    return h;
}

} // namespace wordlist
