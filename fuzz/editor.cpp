// libFuzzer target for the editor's Open: the bytes become a file that the editor window
// opens through its Open command (the file dialog answers with the file), on a headless
// QApplication. Besides "no crash, no leak, no unbounded allocation", it checks what Open
// promises: a refused file gives one message box and leaves the list, the title and the
// file name as they were; an opened file fills the list with trimmed, non-blank questions,
// is unmodified, and what the editor then saves opens again with the same cards.
#include "cardlistmodel.h"
#include "chapterfile.h"
#include "dialogbackend.h"
#include "editorwindow.h"
#include "memoryfile.h"
#include "prompter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

using qredit::CardRow;

namespace {

class OkPrompter : public Prompter {
public:
    MsgResult ask(MsgIcon, MsgButtons buttons, const QString&, const QString&) override {
        ++boxes;
        return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Yes;
    }
    int boxes = 0;
};

// Every file dialog answers with `file`.
class FileAnswer : public DialogBackend {
public:
    FileDialogResult runFileDialog(const FileDialogRequest&) override {
        FileDialogResult r;
        r.ret = 1;
        r.fileName = file;
        r.fileTitle = file.section(u'/', -1);
        return r;
    }
    ColorDialogResult runColorDialog(uint32_t, uint32_t, std::array<uint32_t, 16>&, QObject*) override { return {}; }
    QString file;
};

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "editor open: %s\n", what);
    std::abort();
}

QString g_dir;
OkPrompter* g_prompt = nullptr;
FileAnswer* g_dialogs = nullptr;
qredit::EditorWindow* g_window = nullptr;

QString deckTitle() {
    return g_window->findChild<QLineEdit*>(QStringLiteral("Text3"))->text();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1;
    static char* qtArgv[] = {(*argv)[0], nullptr};
    (void)argc;
    static QApplication application(qtArgc, qtArgv);
    QApplication::setQuitOnLastWindowClosed(false);
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/fuzz_editor-XXXXXX")
                                                                       : QDir::tempPath() + "/fuzz_editor-XXXXXX");
    g_dir = dir.path();
    static OkPrompter prompt;
    static FileAnswer dialogs;
    g_prompt = &prompt;
    g_dialogs = &dialogs;
    setPrompter(g_prompt);
    setDialogBackend(g_dialogs);
    static qredit::EditorWindow window;
    g_window = &window;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The input lives in memory; only the save of an opened file goes through a folder
    // (memory-backed where the system has one), because a save replaces a file by renaming.
    static MemoryFile file;
    if (!file.set(data, size))
        return 0;
    const QString& input = file.path();
    const QString saved = g_dir + QStringLiteral("/saved.qex");

    // Start from a known document that differs from anything a file gives.
    g_window->NewDeck();
    g_window->PutRow(QStringLiteral("before"), QStringLiteral("open"), -1, false);
    g_window->SetModified(false);
    const QVector<CardRow> rowsBefore = g_window->model()->rows();
    const QString titleBefore = deckTitle();
    const QString nameBefore = g_window->fileName();

    g_dialogs->file = input;
    const int boxesBefore = g_prompt->boxes;
    const bool opened = g_window->OpenDeck();
    const int boxes = g_prompt->boxes - boxesBefore;
    if (!opened) {
        if (boxes != 1)
            fail("a refused file did not give exactly one message box");
        if (g_window->model()->rows() != rowsBefore || deckTitle() != titleBefore ||
            g_window->fileName() != nameBefore || g_window->isModified())
            fail("a refused file changed the document");
        return 0;
    }
    if (boxes != 0)
        fail("an opened file gave a message box");
    if (g_window->fileName() != input || g_window->isModified())
        fail("an opened file is not the current, unmodified document");
    const QVector<CardRow> rows = g_window->model()->rows();
    for (const CardRow& r : rows)
        if (r.question.isEmpty() || r.question != qredit::trimSpaces(r.question) ||
            r.answer != qredit::trimSpaces(r.answer))
            fail("a row with a blank or untrimmed text");

    // Saved under another name, the document opens again with the same cards: a repeated
    // question is one card with its last answer, at its first place.
    g_dialogs->file = saved;
    QFile::remove(saved);
    g_window->NewDeck(); // unmodified: no question
    QVector<CardRow> merged;
    QHash<QString, qsizetype> at;
    for (const CardRow& r : rows) {
        const auto it = at.constFind(r.question);
        if (it == at.constEnd()) {
            at.insert(r.question, merged.size());
            merged.append(r);
        } else {
            merged[*it].answer = r.answer;
        }
    }
    QVector<CardRow> back;
    QString title, error;
    if (!qredit::saveChapter(saved, rows, QStringLiteral("t"), error))
        return 0; // a foreign file may hold cards too long for the editor's records; refusing them is right
    if (qredit::loadChapter(saved, back, title, error) != qredit::LoadResult::Loaded)
        fail("a saved chapter does not open");
    if (back != merged)
        fail("the cards changed through save and open");
    return 0;
}
