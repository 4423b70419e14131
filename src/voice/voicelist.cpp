#include "voicelist.h"

#include <QTextToSpeech>
#include <QVoice>

#include <algorithm>

namespace voice {

bool hasVoicesOption(const QStringList& args) {
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--"))
            return false;
        if (args.at(i) == QLatin1String("--voices"))
            return true;
    }
    return false;
}

QStringList voiceReport(const QStringList& engines) {
    if (engines.isEmpty())
        return {QStringLiteral("No speech engine was found: cards can't be read aloud. Install "
                               "speech-dispatcher with a voice package such as speech-dispatcher-espeak-ng.")};
    QStringList lines;
    for (const QString& name : engines) {
        QTextToSpeech engine(name);
        if (engine.state() == QTextToSpeech::Error) {
            const QString why = engine.errorString();
            lines << QStringLiteral("Engine %1: can't start (%2)")
                         .arg(name, why.isEmpty() ? QStringLiteral("no reason given") : why);
            continue;
        }
        QList<QLocale> locales = engine.availableLocales();
        if (locales.isEmpty()) {
            lines << QStringLiteral("Engine %1: no languages (is speech-dispatcher running?)").arg(name);
            continue;
        }
        lines << QStringLiteral("Engine %1: %2 languages").arg(name).arg(locales.size());
        std::sort(locales.begin(), locales.end(), [](const QLocale& a, const QLocale& b) {
            const QString na = QLocale::languageToString(a.language()), nb = QLocale::languageToString(b.language());
            return na != nb ? na < nb : a.name() < b.name();
        });
        for (const QLocale& locale : locales) {
            engine.setLocale(locale);
            // eSpeak NG offers each voice again with a hundred variants ("Russian+Adam"):
            // the variants are counted, not listed.
            QStringList voices;
            int variants = 0;
            for (const QVoice& v : engine.availableVoices()) {
                if (v.name().contains(QLatin1Char('+')))
                    ++variants;
                else
                    voices << v.name();
            }
            QString named = voices.isEmpty() && !variants ? QStringLiteral("the engine's default voice")
                                                          : voices.join(QStringLiteral(", "));
            if (variants)
                named += (voices.isEmpty() ? QString() : QStringLiteral(" ")) +
                         QStringLiteral("(%1 variant%2)").arg(variants).arg(variants == 1 ? "" : "s");
            lines << QStringLiteral("  %1 (%2): %3")
                         .arg(QLocale::languageToString(locale.language()), locale.name(), named);
        }
    }
    return lines;
}

int printVoices(FILE* out) {
    for (const QString& line : voiceReport(QTextToSpeech::availableEngines()))
        std::fprintf(out, "%s\n", line.toUtf8().constData());
    std::fflush(out);
    return 0;
}

} // namespace voice
