#include "chapterfile.h"

#include "ivordalite.h"
#include "lettermarkers.h"
#include "regularfile.h"

#include <QFile>
#include <QFileInfo>

namespace qredit {

namespace {
const QString kCardTag = QStringLiteral("qre_word");
constexpr int kHeaderFixed = 12;
constexpr int kSlot = 128;
} // namespace

QString trimSpaces(const QString& text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text.at(from) == u' ')
        ++from;
    while (to > from && text.at(to - 1) == u' ')
        --to;
    return (from == 0 && to == text.size()) ? text : text.mid(from, to - from);
}

namespace {
// The letters that the file holds as 8-character markers.
bool isSpecialLetter(char16_t c) {
    switch (c) {
    case 0xFC: case 0xF6: case 0xE4: case 0xDF: case 0xDC: case 0xD6: case 0xC4: return true;
    default: return false;
    }
}
int specialLetterCount(const QString& text) {
    int n = 0;
    for (const QChar c : text)
        n += isSpecialLetter(c.unicode()) ? 1 : 0;
    return n;
}
} // namespace

// Counted rather than encoded: this runs for every keystroke and every row of a save.
int storedQuestionLength(const QString& question, TextEncoding encoding) {
    // A special letter takes 1 byte as Windows-1252, 2 as UTF-8; its marker takes 8.
    const int letter = encoding == TextEncoding::Utf8 ? 2 : 1;
    return int(FileText::byteLength(question, encoding)) + (8 - letter) * specialLetterCount(question);
}

int cardLength(const QString& question, const QString& answer, TextEncoding encoding) {
    return storedQuestionLength(trimSpaces(question), encoding) +
           int(FileText::byteLength(trimSpaces(answer), encoding));
}

bool cardFits(const QString& question, const QString& answer, TextEncoding encoding) {
    return cardLength(question, answer, encoding) <= kMaxCardLength;
}

int maxTitleLength(TextEncoding encoding) {
    const int marker = encoding == TextEncoding::Utf8 ? FileText::kMarkerSize : 0;
    return kSlot - kHeaderFixed - int(FileText::byteLength(chapterMark(), encoding)) - marker;
}

int titleLength(const QString& title, TextEncoding encoding) {
    return int(FileText::byteLength(trimSpaces(title), encoding));
}

bool titleFits(const QString& title, TextEncoding encoding) {
    return titleLength(title, encoding) <= maxTitleLength(encoding);
}

TextEncoding chapterEncoding(const QVector<CardRow>& rows, const QString& title, const QVector<CardRow>& more) {
    // The chapter mark and the tag are plain ASCII, and the special letters fit either way.
    FileText::EncodingChoice choice;
    choice.add(title);
    for (const QVector<CardRow>* list : {&rows, &more})
        for (const CardRow& r : *list) {
            if (choice.encoding() == TextEncoding::Utf8)
                return TextEncoding::Utf8;
            choice.add(r.question);
            choice.add(r.answer);
        }
    return choice.encoding();
}

namespace {
// `before`, when given, is the encoding before an edit: what did not fit then already is
// passed over (except the changed row and a changed title).
ChapterFit check(const QVector<CardRow>& rows, const QString& title, const QVector<CardRow>& more,
                 const TextEncoding* before, int changedRow, bool titleChanged) {
    ChapterFit fit;
    fit.encoding = chapterEncoding(rows, title, more);
    const bool utf8 = fit.encoding == TextEncoding::Utf8;
    if (!titleFits(title, fit.encoding) && !(before && !titleChanged && !titleFits(title, *before))) {
        fit.titleTooLong = true;
        fit.bytes = titleLength(title, fit.encoding);
        fit.limit = maxTitleLength(fit.encoding);
        fit.reason = utf8 ? QStringLiteral("the deck title takes %1 bytes in UTF-8; it holds at most %2")
                                .arg(fit.bytes)
                                .arg(fit.limit)
                          : QStringLiteral("the deck title is longer than %1 characters").arg(fit.limit);
        return fit;
    }
    int index = 0;
    for (const QVector<CardRow>* list : {&rows, &more})
        for (const CardRow& r : *list) {
            const int length = cardLength(r.question, r.answer, fit.encoding);
            const bool alreadyTooLong =
                before && list == &rows && index != changedRow && !cardFits(r.question, r.answer, *before);
            if (length > kMaxCardLength && !alreadyTooLong) {
                fit.badRow = index;
                fit.bytes = length;
                fit.limit = kMaxCardLength;
                fit.reason =
                    utf8 ? QStringLiteral("the card '%1' takes %2 bytes in UTF-8; front and back together hold at "
                                          "most %3 (each special letter on the front counting as 8)")
                               .arg(trimSpaces(r.question))
                               .arg(length)
                               .arg(kMaxCardLength)
                         : QStringLiteral("the card '%1' is longer than %2 characters (front and back together, "
                                          "each special letter on the front counting as 8)")
                               .arg(r.question)
                               .arg(kMaxCardLength);
                return fit;
            }
            ++index;
        }
    return fit;
}

} // namespace

ChapterFit checkChapter(const QVector<CardRow>& rows, const QString& title, const QVector<CardRow>& more) {
    return check(rows, title, more, nullptr, -1, true);
}

ChapterFit checkChapterEdit(const QVector<CardRow>& rows, const QString& title, const QVector<CardRow>& more,
                            TextEncoding before, int changedRow, bool titleChanged) {
    return check(rows, title, more, &before, changedRow, titleChanged);
}

LoadResult loadChapter(const QString& path, QVector<CardRow>& rows, QString& title, QString& error) {
    // The store creates a file that doesn't exist, so opening must look first.
    const QFileInfo info(path);
    if (info.isDir()) {
        error = QStringLiteral("It is a folder");
        return LoadResult::Failed;
    }
    // A named pipe would block the open until some program writes to it.
    if (const QString why = notRegularFileReason(path); !why.isEmpty()) {
        error = why;
        return LoadResult::Failed;
    }
    // A missing file, a broken link and a loop of links all fail here, each with the
    // system's own reason.
    {
        QFile probe(path);
        if (!probe.open(QIODevice::ReadOnly)) {
            error = probe.errorString();
            return LoadResult::Failed;
        }
    }
    ivordalite store;
    // The file could be read, so a failed mount means its content is no record store.
    if (!store.mount(path, false))
        return LoadResult::Incompatible;
    if (store.comment() != chapterMark()) {
        store.unmount();
        return LoadResult::Incompatible;
    }
    QVector<CardRow> loaded;
    loaded.reserve(store.ub());
    for (int i = store.lb(); i <= store.ub(); ++i) {
        QString name, valuestring, tag;
        bool isstring = false;
        qint32 valuelong = 0;
        store.ienum(qint16(i), name, isstring, valuestring, valuelong, tag);
        if (trimSpaces(name).isEmpty())
            continue;
        DecodeSpecialLetters(name);
        loaded.append(CardRow{trimSpaces(name), trimSpaces(valuestring)});
    }
    title = store.title();
    store.unmount();
    rows = std::move(loaded);
    return LoadResult::Loaded;
}

bool saveChapter(const QString& path, const QVector<CardRow>& rows, const QString& title, QString& error,
                 int* badRow) {
    if (badRow)
        *badRow = -1;
    // Everything is checked before the disk is touched: a record that doesn't fit its slot
    // never reaches the file.
    const QString trimmedTitle = trimSpaces(title);
    const ChapterFit fit = checkChapter(rows, trimmedTitle);
    if (!fit.fits()) {
        if (badRow)
            *badRow = fit.badRow;
        error = fit.reason;
        return false;
    }
    const QFileInfo info(path);
    if (info.isDir()) {
        error = QStringLiteral("It is a folder");
        return false;
    }
    const bool existed = info.exists();
    ivordalite store;
    // A new store for the path: the old file is neither read nor deleted, and save replaces
    // it in one step once the new one is complete.
    if (!store.mountnew(path)) {
        error = QStringLiteral("the file couldn't be prepared");
        return false;
    }
    // A failed save reopens the path, which leaves an empty file where there was none.
    auto dropCreatedFile = [&] {
        store.unmount();
        if (!existed && QFileInfo::exists(path) && QFileInfo(path).size() == 0)
            QFile::remove(path);
    };
    store.setComment(chapterMark());
    store.setTitle(trimmedTitle);
    try {
        for (const CardRow& row : rows) {
            if (specialLetterCount(row.question) == 0) {
                store.add(row.question, row.answer, 0, kCardTag);
                continue;
            }
            QString question = row.question;
            EncodeSpecialLetters(question);
            store.add(question, row.answer, 0, kCardTag);
        }
    } catch (const StoreError& e) {
        error = QStringLiteral("a chapter holds at most %1 different cards (%2)").arg(kMaxCards).arg(e.description());
        dropCreatedFile();
        return false;
    }
    if (!store.save()) {
        error = store.errorString();
        dropCreatedFile();
        return false;
    }
    store.unmount();
    return true;
}

} // namespace qredit
