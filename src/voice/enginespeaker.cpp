#include "enginespeaker.h"

#include <QTextToSpeech>

#include <algorithm>

namespace voice {

EngineSpeaker::EngineSpeaker(QString engine) : m_wanted(std::move(engine)) {}

EngineSpeaker::~EngineSpeaker() = default;

void EngineSpeaker::problem(const QString& text) const {
    if (text.isEmpty() || m_told.contains(text))
        return;
    m_told << text;
    if (m_problemSink)
        m_problemSink(text);
}

void EngineSpeaker::start() const {
    if (m_started)
        return;
    m_started = true;
    const QStringList engines = QTextToSpeech::availableEngines();
    if (engines.isEmpty()) {
        m_failure = QStringLiteral("no speech engine is installed");
        problem(QStringLiteral("Speech: ") + m_failure);
        return;
    }
    QString name = m_wanted;
    if (name.isEmpty() && engines.contains(QLatin1String("speechd")))
        name = QStringLiteral("speechd");
    m_engine = name.isEmpty() ? std::make_unique<QTextToSpeech>() : std::make_unique<QTextToSpeech>(name);
    m_engineName = m_engine->engine();
    if (m_engine->state() == QTextToSpeech::Error) {
        m_failure = QStringLiteral("the speech engine %1 failed: %2")
                        .arg(m_engineName, m_engine->errorString().isEmpty() ? QStringLiteral("it could not start")
                                                                             : m_engine->errorString());
        problem(QStringLiteral("Speech: ") + m_failure);
        m_engine.reset();
        return;
    }
    m_locales = m_engine->availableLocales();
    if (m_locales.isEmpty()) {
        // speech-dispatcher answers with no languages when it is not running.
        m_failure = QStringLiteral("the speech engine %1 has no voices (is speech-dispatcher running?)")
                        .arg(m_engineName);
        problem(QStringLiteral("Speech: ") + m_failure);
    }
    QObject::connect(m_engine.get(), &QTextToSpeech::stateChanged, m_engine.get(), [this](QTextToSpeech::State s) {
        if (s == QTextToSpeech::Speaking && m_speakingStarted)
            m_speakingStarted();
    });
    QObject::connect(m_engine.get(), &QTextToSpeech::errorOccurred, m_engine.get(),
                     [this](QTextToSpeech::ErrorReason, const QString& why) {
                         problem(QStringLiteral("Speech: the speech engine %1 failed: %2").arg(m_engineName, why));
                     });
}

QLocale EngineSpeaker::localeFor(const QString& language, const QList<QLocale>& locales) {
    const QLocale::Language wanted = QLocale::codeToLanguage(language);
    if (wanted == QLocale::AnyLanguage || wanted == QLocale::C)
        return QLocale::c();
    // QLocale("de") is de_DE, QLocale("pt") pt_BR: the language's main country.
    const QLocale main(wanted);
    const QLocale* first = nullptr;
    for (const QLocale& l : locales) {
        if (l.language() != wanted)
            continue;
        if (l.territory() == main.territory())
            return l;
        if (!first)
            first = &l;
    }
    return first ? *first : QLocale::c();
}

bool EngineSpeaker::available(const QString& language, QString* whyNot) const {
    start();
    auto why = [whyNot](const QString& text) {
        if (whyNot)
            *whyNot = text;
        return false;
    };
    if (!m_engine || m_locales.isEmpty())
        return why(m_failure);
    if (!m_chosen.contains(language))
        m_chosen.insert(language, localeFor(language, m_locales));
    if (m_chosen.value(language).language() == QLocale::C)
        return why(QStringLiteral("the speech engine %1 has no voice for %2").arg(m_engineName, language));
    return true;
}

void EngineSpeaker::say(const QString& text, const QString& language) {
    if (!available(language, nullptr))
        return;
    const QLocale locale = m_chosen.value(language);
    m_engine->stop();
    if (locale != m_current) {
        m_engine->setLocale(locale);
        m_current = locale;
    }
    m_engine->say(text);
}

void EngineSpeaker::stop() {
    if (m_engine)
        m_engine->stop();
}

QStringList EngineSpeaker::languages() const {
    start();
    QStringList codes;
    for (const QLocale& l : m_locales) {
        if (l.language() == QLocale::C || l.language() == QLocale::AnyLanguage)
            continue;
        const QString code = QLocale::languageToCode(l.language());
        if (!code.isEmpty() && !codes.contains(code))
            codes << code;
    }
    std::sort(codes.begin(), codes.end());
    return codes;
}

} // namespace voice
