#pragma once
// The one door to a speech engine. The study program puts its engine behind it; tests put
// a recorder behind it. say() replaces whatever is being said (the callers stop first all
// the same, so an engine that queues still never queues here).
#include <QString>

namespace speech {

class Speaker {
public:
    virtual ~Speaker() = default;
    // Speaks `text` in `language` (a code such as "ru" or "de").
    virtual void say(const QString& text, const QString& language) = 0;
    // Ends what is being said at once; harmless when nothing is.
    virtual void stop() = 0;
    // Whether there is a voice for `language`; when not, *whyNot (if given) gets the reason
    // for the log ("speech-dispatcher is not running", "no voice for th").
    virtual bool available(const QString& language, QString* whyNot) const = 0;
};

} // namespace speech
