#include "commandline.h"

#include "chapterfile.h"
#include "history.h"
#include "kvtmlimport.h"
#include "pdfexport.h"
#include "packagechapters.h"
#include "prompter.h"
#include "regularfile.h"
#include "wordimport.h"
#include "wordlistreader.h"
#include "wordlistwriter.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace qredit {

namespace {
// --limit takes up to this many cards; a chapter holds kMaxCards of them at most.
constexpr qint64 kMaxLimit = 32767;

// Nobody is there to answer: a read-only output stays as it is.
class RefusingPrompter : public Prompter {
public:
    MsgResult ask(MsgIcon, MsgButtons buttons, const QString&, const QString&) override {
        return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::No;
    }
};

class Conversion {
public:
    explicit Conversion(FILE* err) : m_err(err) {}

    int run(const QStringList& args) {
        if (!parse(args))
            return 1;
        RefusingPrompter refusing;
        Prompter* before = &prompter();
        setPrompter(&refusing);
        const bool ok = !m_values.contains(QStringLiteral("--import")) ? (m_values.contains(QStringLiteral("--pdf")) ? pdf() : exportList())
                        : m_package ? importPackage()
                                    : importList();
        setPrompter(before);
        return ok ? 0 : 1;
    }

private:
    bool fail(const QString& text) {
        say(text);
        return false;
    }
    void say(const QString& text) { std::fprintf(m_err, "qredit: %s\n", qPrintable(text)); }

    bool parse(const QStringList& args) {
        static const QStringList withValue = {"--import", "--export", "--output",  "--title",         "--front",
                                              "--back",   "--delimiter", "--header", "--limit", "--split-lessons",
                                              "--pdf",    "--deck",   "--output-dir", "--cloze"};
        for (qsizetype i = 1; i < args.size(); ++i) {
            const QString& a = args[i];
            if (a == QStringLiteral("--cards")) {
                m_cards = true;
                continue;
            }
            if (!withValue.contains(a))
                return fail(QStringLiteral("unknown argument '%1' (see qredit --help)").arg(a));
            if (i + 1 >= args.size())
                return fail(QStringLiteral("%1 needs a value").arg(a));
            if (a == QStringLiteral("--deck")) {
                m_decks.append(args[++i]);
                continue;
            }
            if (m_values.contains(a))
                return fail(QStringLiteral("%1 is given twice").arg(a));
            m_values.insert(a, args[++i]);
        }
        const bool in = m_values.contains(QStringLiteral("--import"));
        const bool out = m_values.contains(QStringLiteral("--export"));
        const bool paper = m_values.contains(QStringLiteral("--pdf"));
        if (int(in) + int(out) + int(paper) != 1)
            return fail(paper ? QStringLiteral("give one of --import, --export and --pdf")
                              : QStringLiteral("give either --import or --export"));
        if (m_cards && !paper)
            return fail(QStringLiteral("--cards belongs to --pdf"));
        if (in && isPackageName(m_values.value(QStringLiteral("--import"))))
            return parsePackage();
        for (const char* only : {"--output-dir", "--cloze"})
            if (m_values.contains(QLatin1String(only)))
                return fail(QStringLiteral("%1 belongs to the import of a package").arg(QLatin1String(only)));
        if (!m_decks.isEmpty())
            return fail(QStringLiteral("--deck belongs to the import of a package"));
        const bool split = m_values.contains(QStringLiteral("--split-lessons"));
        if (split && m_values.contains(QStringLiteral("--output")))
            return fail(QStringLiteral("give either --output or --split-lessons"));
        if (!split && !m_values.contains(QStringLiteral("--output")))
            return fail(QStringLiteral("--output is missing"));
        if (in && isKvtml(m_values.value(QStringLiteral("--import")))) {
            for (const char* only : {"--delimiter", "--header"})
                if (m_values.contains(QLatin1String(only)))
                    return fail(QStringLiteral("%1 belongs to word lists, not KVTML files").arg(QLatin1String(only)));
        } else if (split) {
            return fail(QStringLiteral("--split-lessons belongs to the import of a KVTML file"));
        }
        if (out || paper) {
            for (const char* only : {"--title", "--front", "--back", "--delimiter", "--header", "--limit"})
                if (m_values.contains(QLatin1String(only)))
                    return fail(QStringLiteral("%1 belongs to --import").arg(QLatin1String(only)));
        }
        return true;
    }

    // A package of another flash-card program: one chapter per deck into a folder.
    static bool isPackageName(const QString& path) {
        const QString suffix = QFileInfo(path).suffix().toLower();
        return suffix == QStringLiteral("apkg") || suffix == QStringLiteral("colpkg");
    }
    bool parsePackage() {
        m_package = true;
        for (const char* only : {"--output", "--title", "--delimiter", "--header", "--limit", "--split-lessons"})
            if (m_values.contains(QLatin1String(only)))
                return fail(QStringLiteral("%1 belongs to the import of a word list; a package gives one chapter per "
                                           "deck into --output-dir")
                                .arg(QLatin1String(only)));
        if (!m_values.contains(QStringLiteral("--output-dir")))
            return fail(QStringLiteral("--output-dir is missing"));
        const QString cloze = m_values.value(QStringLiteral("--cloze"), QStringLiteral("cards"));
        if (cloze != QStringLiteral("cards") && cloze != QStringLiteral("skip"))
            return fail(QStringLiteral("--cloze takes cards or skip, not '%1'").arg(cloze));
        return true;
    }

    bool importPackage() {
        const QString input = m_values.value(QStringLiteral("--import"));
        const QString folder = m_values.value(QStringLiteral("--output-dir"));
        package::ImportChoice choice;
        if (!column("--front", 0, choice.frontField) || !column("--back", 1, choice.backField))
            return false;
        if (choice.frontField == choice.backField)
            return fail(QStringLiteral("--front and --back name the same field"));
        choice.cloze = m_values.value(QStringLiteral("--cloze")) == QStringLiteral("skip") ? package::ClozeMode::Skip
                                                                                          : package::ClozeMode::OneCardPerCloze;
        if (const QString why = notRegularFileReason(input); !why.isEmpty())
            return fail(why);
        package::Collection collection;
        if (!collection.open(input))
            return fail(QStringLiteral("%1 can't be imported: %2").arg(input, collection.error()));
        // A deck is named by its title ("A – B") or as the other program names it ("A::B").
        for (const QString& name : std::as_const(m_decks)) {
            const QString title = package::deckTitle(name);
            bool found = false;
            for (const package::DeckInfo& d : collection.decks())
                if (d.title.compare(title, Qt::CaseInsensitive) == 0) {
                    choice.decks.insert(d.id);
                    found = true;
                }
            if (!found) {
                QStringList titles;
                for (const package::DeckInfo& d : collection.decks())
                    titles.append(d.title);
                return fail(QStringLiteral("%1 has no deck '%2'; its decks: %3")
                                .arg(input, name, titles.join(QStringLiteral(", "))));
            }
        }
        const package::ImportResult read = collection.read(choice);
        if (!read.ok())
            return fail(QStringLiteral("%1 can't be imported: %2").arg(input, read.error));
        const PackageWriteResult written = writePackageChapters(read, folder, m_historyPath);
        if (!written.ok())
            return fail(QStringLiteral("%1: %2").arg(input, written.error));
        for (const PackageChapterFile& f : written.written)
            std::fprintf(stdout, "%s\n", qPrintable(f.path));
        std::fflush(stdout);
        say(packageImportReport(read, written));
        return true;
    }

    bool column(const char* name, int fallback, int& out) {
        const QString v = m_values.value(QLatin1String(name));
        if (v.isEmpty()) {
            out = fallback;
            return true;
        }
        bool ok = false;
        const int n = v.toInt(&ok);
        if (!ok || n < 1 || n > wordlist::kMaxColumns)
            return fail(QStringLiteral("%1 takes a column number from 1 to %2, not '%3'")
                            .arg(QLatin1String(name))
                            .arg(wordlist::kMaxColumns)
                            .arg(v));
        out = n - 1;
        return true;
    }

    static bool isKvtml(const QString& path) { return path.endsWith(QStringLiteral(".kvtml"), Qt::CaseInsensitive); }

    bool limitValue(qint64& limit) {
        limit = -1;
        if (!m_values.contains(QStringLiteral("--limit")))
            return true;
        const QString v = m_values.value(QStringLiteral("--limit"));
        bool ok = false;
        limit = v.toLongLong(&ok);
        if (!ok || limit < 1 || limit > kMaxLimit)
            return fail(QStringLiteral("--limit takes a number of cards from 1 to %1, not '%2'").arg(kMaxLimit).arg(v));
        return true;
    }

    // --front and --back name identifiers of a KVTML file by their id.
    bool identifier(const kvtml::Document& doc, const char* name, QString& id) {
        const QString v = m_values.value(QLatin1String(name));
        if (v.isEmpty())
            return true;
        if (doc.identifierIndex(v) < 0)
            return fail(QStringLiteral("%1 takes the id of one of the file's identifiers (%2), not '%3'")
                            .arg(QLatin1String(name), identifierList(doc), v));
        id = v;
        return true;
    }

    // Checks the chapter a list or a KVTML lesson (`what`) makes, naming its problems; false
    // when it can't be written.
    bool planChapter(const QString& input, const wordlist::WordTable& table, const QString& title, qint64 limit,
                     const QString& what, ImportPlan& plan) {
        plan = planImport({}, -1, table, title);
        if (limit > 0)
            limitPlan(plan, limit);
        bool ok = true;
        for (const ImportProblem& p : plan.problems)
            ok = fail(QStringLiteral("%1, line %2: %3").arg(input).arg(p.line).arg(p.reason));
        if (plan.overflow > 0 && limit < 0)
            ok = fail(QStringLiteral("%1 holds %2; a chapter holds at most %3")
                          .arg(what)
                          .arg(counted(plan.inserted.size() + plan.overflow, QStringLiteral("%1 card"),
                                       QStringLiteral("%1 cards")))
                          .arg(kMaxCards));
        if (plan.inserted.isEmpty() && ok)
            ok = fail(QStringLiteral("%1 holds no cards").arg(what));
        return ok;
    }

    void sayCounts(const QString& what, const ImportPlan& plan) {
        if (plan.emptyBacks > 0)
            say(QStringLiteral("%1: %2 with an empty back")
                    .arg(what, counted(plan.emptyBacks, QStringLiteral("%1 card"), QStringLiteral("%1 cards"))));
        if (plan.overflow > 0)
            say(QStringLiteral("%1: the first %2 taken, %3 left out")
                    .arg(what, counted(plan.inserted.size(), QStringLiteral("%1 card"), QStringLiteral("%1 cards")))
                    .arg(plan.overflow));
    }

    bool importKvtml() {
        const QString input = m_values.value(QStringLiteral("--import"));
        qint64 limit = -1;
        if (!limitValue(limit))
            return false;
        if (const QString why = notRegularFileReason(input); !why.isEmpty())
            return fail(why);
        const kvtml::Document doc = kvtml::Reader::readFile(input);
        if (!doc.ok())
            return fail(QStringLiteral("%1 can't be imported: %2").arg(input, doc.error));
        KvtmlChoice choice = defaultKvtmlChoice(doc);
        if (!identifier(doc, "--front", choice.frontId) || !identifier(doc, "--back", choice.backId))
            return false;
        if (choice.frontId.isEmpty())
            return fail(QStringLiteral("%1 names no languages (identifiers)").arg(input));
        if (choice.frontId == choice.backId)
            return fail(QStringLiteral("--front and --back name the same identifier"));
        const QString frontLocale = doc.identifiers.value(doc.identifierIndex(choice.frontId)).locale;
        const QString backLocale =
            choice.backId.isEmpty() ? QString() : doc.identifiers.value(doc.identifierIndex(choice.backId)).locale;
        const QString historyPath = history::History::defaultPath();

        if (!m_values.contains(QStringLiteral("--split-lessons"))) {
            const QString output = m_values.value(QStringLiteral("--output"));
            const QString title =
                m_values.contains(QStringLiteral("--title")) ? m_values.value(QStringLiteral("--title")) : doc.title;
            if (const ChapterFit fit = checkChapter({}, title); !fit.fits())
                return fail(fit.reason);
            ImportPlan plan;
            if (!planChapter(input, kvtmlTable(doc, choice), title, limit, input, plan))
                return fail(QStringLiteral("nothing written to %1").arg(output));
            const QVector<CardRow> rows = applyPlan({}, plan);
            QString error;
            if (!saveChapter(output, rows, title, error))
                return fail(QStringLiteral("%1 couldn't be saved: %2").arg(output, error));
            sayCounts(input, plan);
            if (const QString why = storeChapterLanguages(historyPath, output, rows, title, frontLocale, backLocale);
                !why.isEmpty())
                say(QStringLiteral("%1: the languages were not kept in the review history: %2").arg(output, why));
            return true;
        }

        // One chapter per lesson that holds cards, each titled by its lesson; all are checked
        // before the first is written.
        const QString folder = m_values.value(QStringLiteral("--split-lessons"));
        if (!QFileInfo(folder).isDir())
            return fail(QStringLiteral("%1 is no folder").arg(folder));
        if (doc.lessons.isEmpty())
            return fail(QStringLiteral("%1 has no lessons to split").arg(input));
        const QStringList names = lessonFileNames(doc.lessons);
        struct Planned {
            QString path;
            QString title;
            QVector<CardRow> rows;
            ImportPlan plan;
        };
        QVector<Planned> chapters;
        bool ok = true;
        for (int l = 0; l < doc.lessons.size(); ++l) {
            if (doc.lessons[l].entries.isEmpty())
                continue;
            KvtmlChoice one = choice;
            one.lessons = {l};
            one.entriesInNoLesson = false;
            const wordlist::WordTable table = kvtmlTable(doc, one);
            Planned p;
            p.path = QDir(folder).filePath(names[l]);
            const QString what = QStringLiteral("%1, lesson '%2'").arg(input, doc.lessons[l].name);
            QVector<CardRow> rough;
            for (const wordlist::WordRow& r : table.rows)
                rough.append(CardRow{r.front, r.back});
            p.title = lessonTitle(doc.lessons[l], rough);
            if (!planChapter(input, table, p.title, limit, what, p.plan)) {
                ok = false;
                continue;
            }
            p.rows = applyPlan({}, p.plan);
            chapters.append(p);
        }
        if (ok && chapters.isEmpty())
            ok = fail(QStringLiteral("no lesson of %1 holds cards").arg(input));
        if (!ok)
            return fail(QStringLiteral("nothing written to %1").arg(folder));
        if (doc.entriesInNoLesson > 0)
            say(QStringLiteral("%1: %2 in no lesson left out")
                    .arg(input, counted(doc.entriesInNoLesson, QStringLiteral("%1 entry"), QStringLiteral("%1 entries"))));
        for (const Planned& p : chapters) {
            QString error;
            if (!saveChapter(p.path, p.rows, p.title, error))
                return fail(QStringLiteral("%1 couldn't be saved: %2 (the chapters before it were written)")
                                .arg(p.path, error));
            sayCounts(QStringLiteral("%1, lesson '%2'").arg(input, p.title), p.plan);
            if (const QString why = storeChapterLanguages(historyPath, p.path, p.rows, p.title, frontLocale, backLocale);
                !why.isEmpty())
                say(QStringLiteral("%1: the languages were not kept in the review history: %2").arg(p.path, why));
        }
        return true;
    }

    bool importList() {
        const QString input = m_values.value(QStringLiteral("--import"));
        if (isKvtml(input))
            return importKvtml();
        const QString output = m_values.value(QStringLiteral("--output"));
        wordlist::ReadOptions o;
        o.fallbackDelimiter = wordlist::WordListReader::delimiterForName(input);
        o.maxRows = kMaxCards;
        if (!column("--front", 0, o.frontColumn) || !column("--back", 1, o.backColumn))
            return false;
        if (o.frontColumn == o.backColumn)
            return fail(QStringLiteral("--front and --back name the same column"));
        if (m_values.contains(QStringLiteral("--delimiter"))) {
            const QString d = m_values.value(QStringLiteral("--delimiter"));
            if (d == QStringLiteral(","))
                o.delimiter = ',';
            else if (d == QStringLiteral(";"))
                o.delimiter = ';';
            else if (d == QStringLiteral("tab") || d == QStringLiteral("\t"))
                o.delimiter = '\t';
            else
                return fail(QStringLiteral("--delimiter takes , or ; or tab, not '%1'").arg(d));
        }
        if (m_values.contains(QStringLiteral("--header"))) {
            const QString h = m_values.value(QStringLiteral("--header"));
            if (h == QStringLiteral("yes"))
                o.header = wordlist::Header::Yes;
            else if (h == QStringLiteral("no"))
                o.header = wordlist::Header::No;
            else
                return fail(QStringLiteral("--header takes yes or no, not '%1'").arg(h));
        }
        qint64 limit = -1;
        if (!limitValue(limit))
            return false;
        const QString title = m_values.value(QStringLiteral("--title"));
        if (const ChapterFit fit = checkChapter({}, title); !fit.fits())
            return fail(fit.reason);

        // A named pipe would block the open for good.
        if (const QString why = notRegularFileReason(input); !why.isEmpty())
            return fail(why);
        const wordlist::WordTable table = wordlist::WordListReader::readFile(input, o);
        if (!table.ok())
            return fail(QStringLiteral("%1 can't be imported: %2").arg(input, table.error));
        // The first cards, as the window's question about a full chapter offers: the rest are
        // left out and counted.
        ImportPlan plan;
        if (!planChapter(input, table, title, limit, input, plan))
            return fail(QStringLiteral("nothing written to %1").arg(output));
        QString error;
        if (!saveChapter(output, applyPlan({}, plan), title, error))
            return fail(QStringLiteral("%1 couldn't be saved: %2").arg(output, error));
        // Taken as UTF-8 all the same: the rest of the file is, and the lines are named.
        if (const QString note = wordlist::WordListReader::badUtf8Note(table); !note.isEmpty())
            say(QStringLiteral("%1: %2").arg(input, note));
        // No row goes without a word: the one taken as the column names is named.
        if (o.header == wordlist::Header::Detect && table.header)
            say(QStringLiteral("%1: %2; --header no keeps it").arg(input, wordlist::WordListReader::headerNote(table)));
        if (plan.emptyBacks > 0)
            say(QStringLiteral("%1: %2 with an empty back")
                    .arg(input, counted(plan.emptyBacks, QStringLiteral("%1 card"), QStringLiteral("%1 cards"))));
        if (plan.overflow > 0)
            say(QStringLiteral("%1: the first %2 taken, %3 left out")
                    .arg(input, counted(plan.inserted.size(), QStringLiteral("%1 card"), QStringLiteral("%1 cards")))
                    .arg(plan.overflow));
        return true;
    }

    // The chapter file a conversion starts from; false after saying why it can't be read.
    bool readChapter(const QString& input, QVector<CardRow>& rows, QString& title) {
        if (const QString why = notRegularFileReason(input); !why.isEmpty())
            return fail(why);
        QString error;
        switch (loadChapter(input, rows, title, error)) {
        case LoadResult::Failed:
            return fail(QStringLiteral("%1 couldn't be opened: %2").arg(input, error));
        case LoadResult::Incompatible:
            return fail(QStringLiteral("%1 is not a chapter file").arg(input));
        case LoadResult::Loaded:
            break;
        }
        return true;
    }

    bool pdf() {
        const QString input = m_values.value(QStringLiteral("--pdf"));
        const QString output = m_values.value(QStringLiteral("--output"));
        if (QFileInfo(output).suffix().toLower() != QStringLiteral("pdf"))
            return fail(QStringLiteral("the output's name must end in .pdf"));
        QVector<CardRow> rows;
        QString title, error;
        if (!readChapter(input, rows, title))
            return false;
        if (!writeChapterPdf(output, rows, title, m_cards ? PaperLayout::Cards : PaperLayout::List, error))
            return fail(QStringLiteral("%1 couldn't be written: %2").arg(output, error));
        return true;
    }

    bool exportList() {
        const QString input = m_values.value(QStringLiteral("--export"));
        const QString output = m_values.value(QStringLiteral("--output"));
        const QString suffix = QFileInfo(output).suffix().toLower();
        if (suffix != QStringLiteral("csv") && suffix != QStringLiteral("tsv") && suffix != QStringLiteral("txt") &&
            suffix != QStringLiteral("kvtml"))
            return fail(QStringLiteral("the output's name must end in .csv, .tsv or .txt (or .kvtml)"));
        QVector<CardRow> rows;
        QString title, error;
        if (!readChapter(input, rows, title))
            return false;
        if (suffix == QStringLiteral("kvtml")) {
            if (!kvtml::Writer::writeFile(output, chapterDocument(rows, title), error))
                return fail(QStringLiteral("%1 couldn't be written: %2").arg(output, error));
            return true;
        }
        QVector<wordlist::TextPair> pairs;
        pairs.reserve(rows.size());
        for (const CardRow& r : rows)
            pairs.append({r.question, r.answer});
        if (!wordlist::WordListWriter::writeFile(output, pairs, wordlist::WordListWriter::formatForName(output), error))
            return fail(QStringLiteral("%1 couldn't be written: %2").arg(output, error));
        return true;
    }

    FILE* m_err;
    QHash<QString, QString> m_values;
    bool m_cards = false;
    QStringList m_decks;
    bool m_package = false;
    QString m_historyPath = history::History::defaultPath();
};
} // namespace

bool isConversion(const QStringList& args) {
    return args.contains(QStringLiteral("--import")) || args.contains(QStringLiteral("--export")) ||
           args.contains(QStringLiteral("--pdf"));
}

int runConversion(const QStringList& args, FILE* err) {
    return Conversion(err).run(args);
}

QString conversionUsage() {
    return QStringLiteral(
        "       qredit --import WORDS.csv --output LESSON.qex [--title TITLE] [--front N --back M]\n"
        "              [--delimiter ,|;|tab] [--header yes|no] [--limit N]\n"
        "       qredit --import WORDS.kvtml --output LESSON.qex | --split-lessons DIR [--title TITLE]\n"
        "              [--front ID --back ID] [--limit N]\n"
        "       qredit --import DECKS.apkg|DECKS.colpkg --output-dir FOLDER [--deck NAME]...\n"
        "              [--front N --back M] [--cloze cards|skip]\n"
        "       qredit --export LESSON.qex --output WORDS.csv|WORDS.tsv|WORDS.kvtml\n"
        "       qredit --pdf LESSON.qex --output LESSON.pdf [--cards]\n"
        "\n"
        "  --import FILE      make a chapter of a comma-, semicolon- or tab-separated word list\n"
        "                     (UTF-8, UTF-16 with a byte-order mark, or Windows-1252)\n"
        "                     or a KVTML file (.kvtml: the first two languages, every lesson)\n"
        "  --export FILE      write the cards of a chapter as a word list (UTF-8; .tsv/.txt: tabs)\n"
        "                     or as KVTML (.kvtml)\n"
        "  --pdf FILE         draw the cards of a chapter as a PDF file (A4): a two-column word list\n"
        "                     with the title and page numbers, or with --cards cut-out cards (fronts\n"
        "                     on odd pages, backs mirrored on even pages for a double-sided print)\n"
        "  --output FILE      the file to write; an existing one is replaced whole\n"
        "  --title TITLE      the chapter's title (import)\n"
        "  --split-lessons DIR  one chapter per lesson of a KVTML file, in DIR, titled by the lesson\n"
        "  --front N          the column of the card's front, from 1 (default 1); for KVTML the\n"
        "                     id of an identifier (language)\n"
        "  --back M           the column of the card's back (default 2)\n"
        "  --delimiter D      , or ; or tab (default: found from the file)\n"
        "  --header yes|no    whether the first row names the columns (default: found from the file)\n"
        "  --limit N          take the first N cards (at most a chapter's 32766) and leave the rest out\n"
        "  --output-dir DIR   a package's chapters go here, one NAME.qex per deck (none is replaced)\n"
        "  --deck NAME        a package's deck to import, \"A::B\" or \"A \u2013 B\" (default: every deck);\n"
        "                     give it again for more decks\n"
        "  --front N, --back M  with a package: the note's fields, from 1 (default 1 and 2)\n"
        "  --cloze cards|skip a cloze note gives one card per gap (default), or is left out\n"
        "A conversion opens no window; it exits with 0, or with 1 after saying on standard error\n"
        "which rows are wrong and why (nothing is written then).");
}

} // namespace qredit
