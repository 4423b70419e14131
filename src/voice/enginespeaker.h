#pragma once
// The study program's and the editor's speech engine: Qt TextToSpeech on speech-dispatcher
// ("speechd") when that plugin is there, else Qt's default engine.
//
// The engine is made on the first say() or available(), never before: connecting to the
// speech service can take a while, and a program that never speaks never waits for it.
// stop() before the engine exists does nothing. Every say() stops what is being said first,
// so speech never queues up.
//
// A language code ("ru", "de", "pt") is spoken with the engine's locale of that language,
// preferring the language's main country (de_DE before de_AT); the engine picks that
// locale's default voice. Problems (no engine, the service not running, an error while
// speaking) go to the problem sink, each distinct text once, and never stop the caller.
#include "speaker.h"

#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QTextToSpeech;

namespace voice {

class EngineSpeaker : public speech::Speaker {
public:
    using ProblemSink = std::function<void(const QString& problem)>;

    // `engine` empty: "speechd" when it is there, else the default engine.
    explicit EngineSpeaker(QString engine = QString());
    ~EngineSpeaker() override;

    void setProblemSink(ProblemSink sink) { m_problemSink = std::move(sink); }
    // Called when the engine reports that it begins to speak (for the measured delay from a
    // card on screen to its speech).
    void setSpeakingStarted(std::function<void()> started) { m_speakingStarted = std::move(started); }

    void say(const QString& text, const QString& language) override;
    void stop() override;
    bool available(const QString& language, QString* whyNot) const override;

    // Whether the engine has been made (a first say() or available() came).
    bool started() const { return m_started; }
    // The language codes the engine has a voice for, sorted, each once (makes the engine).
    QStringList languages() const;
    // The engine in use ("speechd", ...), empty before it is made or when there is none.
    QString engineName() const { return m_engineName; }

    // The locale of `locales` to speak `language` with: the language's main country first,
    // else the first of that language; a C locale when none has the language.
    static QLocale localeFor(const QString& language, const QList<QLocale>& locales);

private:
    void start() const;
    void problem(const QString& text) const;

    QString m_wanted;
    mutable bool m_started = false;
    mutable std::unique_ptr<QTextToSpeech> m_engine;
    mutable QString m_engineName;
    mutable QString m_failure; // why there is no engine; empty when there is one
    mutable QList<QLocale> m_locales;
    mutable QHash<QString, QLocale> m_chosen; // language code -> locale, or C for none
    QLocale m_current = QLocale::c();
    ProblemSink m_problemSink;
    std::function<void()> m_speakingStarted;
    mutable QStringList m_told;
};

} // namespace voice
