#include "readaloud.h"

#include "spokentext.h"

#include <QLocale>

namespace speech {

ReadAloud::ReadAloud(Speaker& speaker, Report report) : m_speaker(speaker), m_report(std::move(report)) {}

void ReadAloud::setLanguages(const QString& front, const QString& back) {
    m_front = front;
    m_back = back;
}

QString ReadAloud::noVoiceLine(const QString& language) {
    const QLocale::Language known = QLocale::codeToLanguage(language);
    const QString name = known == QLocale::AnyLanguage || known == QLocale::C ? language
                                                                               : QLocale::languageToString(known);
    return QStringLiteral("No voice for %1").arg(name);
}

bool ReadAloud::speak(const QString& face, Side side) {
    m_speaker.stop();
    const QString text = spokenText(face);
    if (text.isEmpty())
        return false;
    const QString lang = language(side);
    QString whyNot;
    if (!m_speaker.available(lang, &whyNot)) {
        if (!m_reported.contains(lang)) {
            m_reported.insert(lang);
            if (m_report)
                m_report(noVoiceLine(lang), whyNot);
        }
        return false;
    }
    m_speaker.say(text, lang);
    return true;
}

void ReadAloud::cardPresented(const QString& face, Side side) {
    m_shown = true;
    m_face = face;
    m_side = side;
    m_questionHidden = false;
    if (m_listening)
        m_questionHidden = speak(face, side);
    else if (m_mode != ReadAloudMode::Never)
        speak(face, side);
    else
        m_speaker.stop();
}

void ReadAloud::cardTurned(const QString& face, Side side) {
    m_shown = true;
    m_face = face;
    m_side = side;
    m_questionHidden = false;
    if (m_mode == ReadAloudMode::BothSides)
        speak(face, side);
    else
        m_speaker.stop();
}

void ReadAloud::readAloudPressed() {
    if (m_shown)
        speak(m_face, m_side);
    else
        m_speaker.stop();
}

void ReadAloud::stop() {
    m_speaker.stop();
    m_shown = false;
    m_questionHidden = false;
    m_face.clear();
}

} // namespace speech
