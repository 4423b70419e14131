#include "wordlistwriter.h"

#include <QIODevice>
#include <QSaveFile>

namespace wordlist {

void WordListWriter::appendField(QByteArray& out, const QString& text, char delimiter) {
    QByteArray t = text.toUtf8();
    // A NUL byte makes the file binary to every reader, this program's own included; a
    // chapter from elsewhere may hold one, and a space is what it shows as on a card.
    t.replace('\0', ' ');
    const bool quote = t.contains(delimiter) || t.contains('"') || t.contains('\n') || t.contains('\r') ||
                       t.contains('\t') || t.startsWith(' ') || t.endsWith(' ');
    if (!quote) {
        out += t;
        return;
    }
    out += '"';
    for (const char c : t) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

Format WordListWriter::formatForName(const QString& path) {
    return path.endsWith(QStringLiteral(".tsv"), Qt::CaseInsensitive) ||
                   path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)
               ? Format::Tsv
               : Format::Csv;
}

QByteArray WordListWriter::line(const QString& front, const QString& back, Format format) {
    const char delimiter = format == Format::Tsv ? '\t' : ',';
    QByteArray out;
    out.reserve(front.size() + back.size() + 4);
    appendField(out, front, delimiter);
    out += delimiter;
    appendField(out, back, delimiter);
    out += "\r\n";
    return out;
}

bool WordListWriter::write(QIODevice& out, const QVector<TextPair>& rows, Format format, QString& error) {
    QByteArray all;
    all.reserve(rows.size() * 32 + 3);
    all += "\xEF\xBB\xBF";
    all += line(kFrontName, kBackName, format);
    for (const TextPair& r : rows)
        all += line(r.first, r.second, format);
    // A short write is repeated, so that the next one fails with the system's reason.
    for (qint64 done = 0; done < all.size();) {
        const qint64 n = out.write(all.constData() + done, all.size() - done);
        if (n <= 0) {
            error = out.errorString();
            return false;
        }
        done += n;
    }
    return true;
}

bool WordListWriter::writeFile(const QString& path, const QVector<TextPair>& rows, Format format, QString& error) {
    QSaveFile f(path);
    // Unbuffered, so that a failing write (a full disk) is seen here: commit() does not
    // notice a failure of its own final flush and would report success for a cut-short file.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error = f.errorString();
        return false;
    }
    if (!write(f, rows, format, error)) {
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) {
        error = f.errorString();
        return false;
    }
    return true;
}

QString WordListWriter::clipboardText(const QVector<TextPair>& rows) {
    QByteArray out;
    for (const TextPair& r : rows) {
        QByteArray l = line(r.first, r.second, Format::Tsv);
        l.chop(2);
        out += l;
        out += '\n';
    }
    return QString::fromUtf8(out);
}

QString WordListWriter::clipboardHtml(const QVector<TextPair>& rows) {
    QString html = QStringLiteral("<table>");
    for (const TextPair& r : rows)
        html +=
            QStringLiteral("<tr><td>%1</td><td>%2</td></tr>").arg(r.first.toHtmlEscaped(), r.second.toHtmlEscaped());
    html += QStringLiteral("</table>");
    return html;
}

} // namespace wordlist
