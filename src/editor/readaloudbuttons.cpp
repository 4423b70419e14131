#include "readaloudbuttons.h"

#include "enginespeaker.h"
#include "languageguess.h"
#include "readaloud.h"
#include "spokentext.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QSet>
#include <QShortcut>
#include <QStatusBar>
#include <QToolButton>

#include <memory>

namespace qredit {

namespace {
// Enough of a chapter's cards for the guess, however long the chapter.
constexpr int kGuessSample = 400;
} // namespace

std::function<speech::Speaker*()>& editorSpeaker() {
    static std::function<speech::Speaker*()> provider = [] {
        static voice::EngineSpeaker engine;
        return &engine;
    };
    return provider;
}

QString fieldLanguage(const QStringList& chapterTexts, const QString& field) {
    QStringList texts = chapterTexts.mid(0, kGuessSample);
    if (!field.trimmed().isEmpty())
        texts << field;
    return speech::guessLanguage(texts, QLocale::system());
}

ReadAloudButtons addReadAloudButtons(QMainWindow* window, QGridLayout* grid, int column, QLineEdit* front,
                                     QLineEdit* back, std::function<QStringList(bool front)> sideTexts) {
    auto told = std::make_shared<QSet<QString>>();
    auto speak = [window, told, sideTexts](QLineEdit* field, bool isFront) {
        speech::Speaker* speaker = editorSpeaker() ? editorSpeaker()() : nullptr;
        const QString text = speech::spokenText(field->text());
        if (!speaker)
            return;
        speaker->stop();
        if (text.isEmpty())
            return;
        const QString language = fieldLanguage(sideTexts ? sideTexts(isFront) : QStringList(), field->text());
        QString whyNot;
        if (!speaker->available(language, &whyNot)) {
            if (!told->contains(language)) {
                told->insert(language);
                window->statusBar()->showMessage(speech::ReadAloud::noVoiceLine(language) +
                                                 (whyNot.isEmpty() ? QString() : QStringLiteral(" (") + whyNot +
                                                                                     QStringLiteral(")")));
            }
            return;
        }
        speaker->say(text, language);
    };
    ReadAloudButtons made;
    const struct {
        QLineEdit* field;
        bool isFront;
        const char* name;
        const char* accessible;
        Qt::Key key;
    } sides[] = {{front, true, "readFront", "Read the front aloud", Qt::Key_F},
                 {back, false, "readBack", "Read the back aloud", Qt::Key_B}};
    for (const auto& s : sides) {
        auto* b = new QToolButton;
        b->setObjectName(QLatin1String(s.name));
        b->setText(QStringLiteral("\U0001F50A"));
        b->setAccessibleName(QLatin1String(s.accessible));
        const QKeySequence key(Qt::CTRL | Qt::SHIFT | s.key);
        b->setToolTip(QStringLiteral("%1 (%2)").arg(QLatin1String(s.accessible), key.toString(QKeySequence::NativeText)));
        // The field keeps the Tab order; the key reaches the button from anywhere.
        b->setFocusPolicy(Qt::ClickFocus);
        grid->addWidget(b, s.isFront ? 0 : 1, column);
        QLineEdit* field = s.field;
        const bool isFront = s.isFront;
        QObject::connect(b, &QToolButton::clicked, b, [speak, field, isFront] { speak(field, isFront); });
        auto* shortcut = new QShortcut(key, window);
        shortcut->setObjectName(QLatin1String(s.name) + QStringLiteral("Key"));
        QObject::connect(shortcut, &QShortcut::activated, b, [speak, field, isFront] { speak(field, isFront); });
        (s.isFront ? made.front : made.back) = b;
    }
    return made;
}

} // namespace qredit
