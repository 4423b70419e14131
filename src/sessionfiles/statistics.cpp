#include "statistics.h"

#include "appstate.h"
#include "filetext.h"
#include "gcommondialog.h"
#include "prompter.h"
#include "shell.h"
#include "version.h"

#include <QLocale>
#include <QSaveFile>

namespace {

QString spaces(qsizetype n) {
    return n > 0 ? QString(n, QLatin1Char(' ')) : QString();
}

// Widths count characters: one outside the BMP takes two units in memory but is one
// character, in UTF-8 as in Windows-1252 (where it stands as one "?").
qsizetype width(const QString& text) {
    qsizetype n = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text.at(i).isHighSurrogate() && text.at(i + 1).isLowSurrogate()) {
            --n;
            ++i;
        }
    return n;
}

// The locale's long time format without its time zone, which the general date format never
// shows. Quoted literal text is kept as it is.
QString longTimeFormat(const QLocale& locale) {
    const QString fmt = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < fmt.size(); ++i) {
        const QChar ch = fmt.at(i);
        if (ch == QLatin1Char('\'')) {
            quoted = !quoted;
            out += ch;
            continue;
        }
        if (!quoted && ch == QLatin1Char('t')) {
            while (!out.isEmpty() && out.back().isSpace())
                out.chop(1);
            while (i + 1 < fmt.size() && fmt.at(i + 1) == QLatin1Char('t'))
                ++i;
            continue;
        }
        out += ch;
    }
    return out.trimmed();
}

} // namespace

QString generalDate(const QDateTime& now) {
    const QLocale locale = QLocale::system();
    QString text = locale.toString(now.date(), QLocale::ShortFormat);
    const QTime t = now.time();
    if (t.hour() != 0 || t.minute() != 0 || t.second() != 0)
        text += QLatin1Char(' ') + locale.toString(t, longTimeFormat(locale));
    return text;
}

namespace {

// The table's first lines: title, date, version, note, an empty line and the column heads,
// whose padding follows the widths of the card lines.
QStringList headLines(const QDateTime& now, qsizetype qw, qsizetype aw) {
    QStringList lines;
    lines << QStringLiteral("QUARNEL STATISTICS FILE");
    lines << QStringLiteral("Automatically generated on ") + generalDate(now);
    lines << QStringLiteral("Quarnel v.%1.%2.%3 - Orvandel").arg(kAppMajor).arg(kAppMinor).arg(kAppRevision);
    lines << QStringLiteral("NOTE: 'Times Viewed' data is for this session only");
    lines << QString();
    lines << spaces(qw - 16) + QStringLiteral(" == QUESTION == ") + spaces(aw - 14) + QStringLiteral(" == ANSWER == ") +
                 QStringLiteral(" == TROUBLE? == ") + QStringLiteral(" == TIMES VIEWED == ") +
                 QStringLiteral(" == CHAPTER == ");
    return lines;
}

// The lines of the statistics file, one at a time, so that a writer holds only the line it
// writes: `take` gets each line without its line end and returns false to stop.
template <typename Emit>
void forEachLine(const QVector<Card>& d, const QDateTime& now, Emit&& take) {
    // The last slot is the empty spare: it has no line.
    const qsizetype cards = d.isEmpty() ? 0 : d.size() - 1;

    // Each width grows only when a text is longer than it, and then to that text + 4, so the
    // result depends on the order of the cards.
    qsizetype qw = 0, aw = 0;
    for (qsizetype i = 0; i < cards; ++i) {
        const qsizetype ql = width(d[i].question);
        if (qw < ql)
            qw = ql + 4;
        const qsizetype al = width(d[i].answer);
        if (aw < al)
            aw = al + 4;
    }

    for (const QString& line : headLines(now, qw, aw))
        if (!take(line))
            return;
    QString line;
    for (qsizetype i = 0; i < cards; ++i) {
        const Card& c = d[i];
        const QString t = c.trouble != 0 ? QStringLiteral("YES") : QStringLiteral("NO");
        line.clear();
        line += spaces(qw - width(c.question)) + c.question + spaces(aw - width(c.answer)) + c.answer +
                spaces(19 - t.size()) + t + spaces(7) + spaces(10) + QString::number(c.timesviewed) + c.chaptertitle;
        if (!take(line))
            return;
    }
}

// Windows-1252 when every text of the file fits it. The card lines add nothing but spaces,
// digits and ASCII words to their cards' texts, so those texts decide as the lines would.
TextEncoding fileEncoding(const QVector<Card>& d, const QDateTime& now) {
    FileText::EncodingChoice choice;
    for (const QString& line : headLines(now, 0, 0))
        choice.add(line);
    const qsizetype cards = d.isEmpty() ? 0 : d.size() - 1;
    for (qsizetype i = 0; i < cards && choice.encoding() == TextEncoding::Windows1252; ++i) {
        choice.add(d[i].question);
        choice.add(d[i].answer);
        choice.add(d[i].chaptertitle);
    }
    return choice.encoding();
}

// A byte-order mark tells text viewers that the file is UTF-8.
QByteArray fileStart(TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? QByteArray("\xEF\xBB\xBF") : QByteArray();
}

// Appends the line and its CR LF in `encoding`.
void appendLine(QByteArray& out, const QString& line, TextEncoding encoding) {
    const qsizetype at = out.size();
    out.resize(at + FileText::byteLength(line, encoding) + 2);
    char* end = out.data() + at + FileText::encodeInto(line, encoding, out.data() + at);
    end[0] = '\r';
    end[1] = '\n';
}

// Writes all of `bytes`; a short write is repeated so that the system's reason comes back.
bool writeAll(QSaveFile& file, const QByteArray& bytes) {
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

QStringList statisticsLines(const QVector<Card>& d, const QDateTime& now) {
    QStringList lines;
    lines.reserve(d.size() + 6);
    forEachLine(d, now, [&lines](const QString& line) {
        lines << line;
        return true;
    });
    return lines;
}

QByteArray statisticsBytes(const QVector<Card>& d, const QDateTime& now) {
    const TextEncoding encoding = fileEncoding(d, now);
    QByteArray bytes = fileStart(encoding);
    forEachLine(d, now, [&](const QString& line) {
        appendLine(bytes, line, encoding);
        return true;
    });
    return bytes;
}

bool WriteStatistics(const QString& fileName, QObject* owner) {
    const QDateTime now = QDateTime::currentDateTime();
    const TextEncoding encoding = fileEncoding(deck, now);

    // The file is replaced whole: QSaveFile only renames it into place once it is complete.
    // Unbuffered, so that a failing write (a full disk) reaches it before commit(), which does
    // not notice a failure in its own final flush. The lines go out as they are made, a block
    // of about 64 KB at a time, so the whole text is never held in memory.
    constexpr qsizetype kBlock = 64 * 1024;
    QSaveFile file(fileName);
    QString error;
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (ok) {
        QByteArray block = fileStart(encoding);
        block.reserve(kBlock + 1024);
        forEachLine(deck, now, [&](const QString& line) {
            appendLine(block, line, encoding);
            if (block.size() >= kBlock) {
                ok = writeAll(file, block);
                block.resize(0);
            }
            return ok;
        });
        ok = ok && writeAll(file, block);
    }
    if (ok && !file.commit())
        ok = false;
    if (!ok) {
        error = file.errorString();
        file.cancelWriting();
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Can't export cards"),
                       QStringLiteral("The file '") + fileName + QStringLiteral("' couldn't be written: ") + error);
        return false;
    }
    OpenInNotepad(fileName, owner);
    return true;
}

void OpenInNotepad(const QString& fileName, QObject* owner) {
    Q_UNUSED(owner);
    // The desktop's viewer for text files stands in for Notepad; whether it starts is not
    // checked, the file is written either way.
    shell().openUrl(fileName);
}

void ExportCardsCommand(QObject* owner) {
    GCommonDialog dlg;
    QString fileName, fileTitle, filter = QStringLiteral("*.txt");
    qint32 filterIndex = 1, flags = 0;
    if (!dlg.VBGetSaveFileName(fileName, fileTitle, true, filter, filterIndex, app().homeFolder, QString(),
                               QStringLiteral("txt"), owner, flags))
        return;
    WriteStatistics(fileName, owner);
}
