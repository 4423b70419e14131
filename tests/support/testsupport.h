#pragma once
// Test doubles for the platform services: scripted message boxes and dialogs, a recording
// shell, a settable clock, a device that fails after N bytes, and a log recorder.
#include "clock.h"
#include "dialogbackend.h"
#include "prompter.h"
#include "shell.h"

#include <QIODevice>
#include <QStringList>
#include <QTemporaryDir>
#include <atomic>
#include <deque>
#include <functional>
#include <thread>

struct RecordedBox {
    MsgIcon icon;
    MsgButtons buttons;
    QString title;
    QString text;
};

// Answers message boxes from a script. A box that nobody scripted fails the test (the
// failure is recorded and reported by the test through `unexpected`).
class ScriptedPrompter : public Prompter {
public:
    ScriptedPrompter();
    ~ScriptedPrompter() override;
    // Queue the answer for the next box; `expectTitle` (if given) must match its title.
    void expect(MsgResult answer, const QString& expectTitle = QString());
    // Answer every box with `answer` without a script (for tests that only count boxes).
    void answerAll(MsgResult answer) { m_answerAll = answer; m_hasAnswerAll = true; }
    MsgResult ask(MsgIcon icon, MsgButtons buttons, const QString& title, const QString& text) override;

    QList<RecordedBox> boxes;
    QStringList unexpected; // titles of boxes that came with no answer in the script, or a wrong title
    // Runs inside ask(), before it returns (for checks made while a box is "open").
    std::function<void(const RecordedBox&)> onAsk;
    bool scriptDone() const { return m_script.empty(); }

private:
    struct Step {
        MsgResult answer;
        QString title;
    };
    std::deque<Step> m_script;
    MsgResult m_answerAll = MsgResult::Ok;
    bool m_hasAnswerAll = false;
};

// Answers file and colour dialogs from a script; an unscripted dialog is cancelled and
// recorded in `unexpected`.
class ScriptedDialogs : public DialogBackend {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;
    void answerFile(const QString& path, int filterIndex = 1, uint32_t flags = 0);
    void cancelFile();
    void failFile(uint32_t extendedError);
    void answerColor(uint32_t color);
    void cancelColor();
    FileDialogResult runFileDialog(const FileDialogRequest& req) override;
    ColorDialogResult runColorDialog(uint32_t initial, uint32_t flags, std::array<uint32_t, 16>& custom,
                                     QObject* owner) override;

    QList<FileDialogRequest> fileRequests;
    QList<uint32_t> colorFlags;
    QList<uint32_t> colorInitial;
    QStringList unexpected;

private:
    std::deque<FileDialogResult> m_files;
    std::deque<ColorDialogResult> m_colors;
};

class RecordingShell : public Shell {
public:
    RecordingShell();
    ~RecordingShell() override;
    bool startProgram(const QString& program, const QStringList& args, const QString& workDir) override;
    bool openUrl(const QString& url) override;
    QStringList programs;
    QList<QStringList> programArgs;
    QStringList urls;
    bool result = true;
};

class MockClock : public Clock {
public:
    MockClock();
    ~MockClock() override;
    qint64 steadyMs() override { return steady; }
    double secondsSinceMidnight() override { return timeOfDay; }
    void advanceMs(qint64 ms) {
        steady += ms;
        timeOfDay += ms / 1000.0;
    }
    qint64 steady = 1000000;
    double timeOfDay = 12 * 3600.0;
};

// Lets `limit` bytes through, then fails every write.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(qint64 limit) : m_limit(limit) {}
    QByteArray written;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 len) override;

private:
    qint64 m_limit;
};

// Collects the message log while it lives.
class LogRecorder {
public:
    LogRecorder();
    ~LogRecorder();
    QStringList lines;
    QList<int> levels;
    bool contains(const QString& line) const { return lines.contains(line); }
    // Index of `line` at or after `from`, -1 when absent.
    int indexOf(const QString& line, int from = 0) const { return int(lines.indexOf(line, from)); }
};

// Writes a chapter file (record store with the chapter mark) for tests.
QString writeChapter(const QString& path, const QString& title, const QList<QPair<QString, QString>>& cards);

// While it lives, a reader that opens the named pipe `path` is let through at once and reads
// an empty file, so that code that opens the pipe fails a test instead of hanging it.
class PipeUnblocker {
public:
    explicit PipeUnblocker(const QString& path);
    ~PipeUnblocker();
    // How often a reader had the pipe open.
    int opened() const { return m_opened; }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_opened{0};
    std::thread m_thread;
};
