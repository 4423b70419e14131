#include "testsupport.h"

#include "ivordalite.h"
#include "messagelog.h"

#include <QFile>
#include <chrono>
#include <fcntl.h>
#include <unistd.h>

ScriptedPrompter::ScriptedPrompter() { setPrompter(this); }
ScriptedPrompter::~ScriptedPrompter() { setPrompter(nullptr); }

void ScriptedPrompter::expect(MsgResult answer, const QString& expectTitle) {
    m_script.push_back({answer, expectTitle});
}

MsgResult ScriptedPrompter::ask(MsgIcon icon, MsgButtons buttons, const QString& title, const QString& text) {
    RecordedBox box{icon, buttons, title, text};
    boxes.append(box);
    if (onAsk)
        onAsk(box);
    if (m_script.empty()) {
        if (m_hasAnswerAll)
            return m_answerAll;
        unexpected.append(title);
        return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Cancel;
    }
    Step s = m_script.front();
    m_script.pop_front();
    if (!s.title.isEmpty() && s.title != title)
        unexpected.append(QStringLiteral("%1 (expected %2)").arg(title, s.title));
    return s.answer;
}

ScriptedDialogs::ScriptedDialogs() { setDialogBackend(this); }
ScriptedDialogs::~ScriptedDialogs() { setDialogBackend(nullptr); }

void ScriptedDialogs::answerFile(const QString& path, int filterIndex, uint32_t flags) {
    FileDialogResult r;
    r.ret = 1;
    r.fileName = path;
    r.fileTitle = path.section(QLatin1Char('/'), -1);
    r.filterIndex = filterIndex;
    r.flags = flags;
    m_files.push_back(r);
}
void ScriptedDialogs::cancelFile() { m_files.push_back(FileDialogResult{}); }
void ScriptedDialogs::failFile(uint32_t extendedError) {
    FileDialogResult r;
    r.ret = -1;
    r.extendedError = extendedError;
    m_files.push_back(r);
}
void ScriptedDialogs::answerColor(uint32_t color) { m_colors.push_back({1, color, 0}); }
void ScriptedDialogs::cancelColor() { m_colors.push_back({0, 0, 0}); }

FileDialogResult ScriptedDialogs::runFileDialog(const FileDialogRequest& req) {
    fileRequests.append(req);
    if (m_files.empty()) {
        unexpected.append(req.save ? QStringLiteral("save dialog") : QStringLiteral("open dialog"));
        return {};
    }
    FileDialogResult r = m_files.front();
    m_files.pop_front();
    if (r.ret == 1 && r.flags == 0)
        r.flags = req.flags;
    return r;
}

ColorDialogResult ScriptedDialogs::runColorDialog(uint32_t initial, uint32_t flags, std::array<uint32_t, 16>&,
                                                  QObject*) {
    colorFlags.append(flags);
    colorInitial.append(initial);
    if (m_colors.empty()) {
        unexpected.append(QStringLiteral("colour dialog"));
        return {};
    }
    ColorDialogResult r = m_colors.front();
    m_colors.pop_front();
    return r;
}

RecordingShell::RecordingShell() { setShell(this); }
RecordingShell::~RecordingShell() { setShell(nullptr); }
bool RecordingShell::startProgram(const QString& program, const QStringList& args, const QString&) {
    programs.append(program);
    programArgs.append(args);
    return result;
}
bool RecordingShell::openUrl(const QString& url) {
    urls.append(url);
    return result;
}

MockClock::MockClock() { setAppClock(this); }
MockClock::~MockClock() { setAppClock(nullptr); }

qint64 FailingDevice::writeData(const char* data, qint64 len) {
    const qint64 room = m_limit - written.size();
    if (room <= 0) {
        setErrorString(QStringLiteral("No space left on device"));
        return -1;
    }
    const qint64 n = std::min(room, len);
    written.append(data, n);
    return n;
}

LogRecorder::LogRecorder() {
    setLogTap([this](const QString& text, int level) {
        lines.append(text);
        levels.append(level);
    });
}
LogRecorder::~LogRecorder() { setLogTap({}); }

QString writeChapter(const QString& path, const QString& title, const QList<QPair<QString, QString>>& cards) {
    QFile::remove(path);
    ivordalite store;
    store.mount(path, false);
    store.setComment(QStringLiteral("generated automatically by the Quarnel Editor v1.21"));
    store.setTitle(title);
    for (const auto& c : cards)
        store.add(c.first, c.second, 0, QStringLiteral("qre_word"));
    store.save();
    store.unmount();
    return path;
}

PipeUnblocker::PipeUnblocker(const QString& path)
    : m_thread([this, p = QFile::encodeName(path)] {
          while (!m_stop) {
              const int fd = ::open(p.constData(), O_WRONLY | O_NONBLOCK);
              if (fd >= 0) {
                  ::close(fd);
                  ++m_opened;
              }
              std::this_thread::sleep_for(std::chrono::milliseconds(20));
          }
      }) {}

PipeUnblocker::~PipeUnblocker() {
    m_stop = true;
    m_thread.join();
}
