#include "fieldsplitter.h"

namespace wordlist {

FieldSplitter::FieldSplitter(char delimiter, qsizetype maxField) : m_delimiter(delimiter), m_max(maxField) {}

void FieldSplitter::endField(Sink& sink) {
    if (m_state == State::Plain) {
        qsizetype to = m_field.size();
        while (to > 0 && isPad(m_field.at(to - 1)))
            --to;
        m_field.truncate(to);
    }
    sink.field(m_field);
    m_field.clear();
    m_raw.clear();
}

bool FieldSplitter::feed(const char* s, qsizetype n, Sink& sink) {
    for (qsizetype i = 0; i < n; ++i) {
        const char c = s[i];
        const bool lineEnd = c == '\n' || c == '\r';
        switch (m_state) {
        case State::RowNotBegun:
            // Blank lines, and the LF of a CR LF, give no row.
            if (lineEnd)
                break;
            m_state = State::FieldStart;
            [[fallthrough]];
        case State::FieldStart:
            if (c == '"') {
                m_state = State::Quoted;
                m_raw = QByteArray(1, '"');
            } else if (c == m_delimiter) {
                endField(sink);
            } else if (lineEnd) {
                endField(sink);
                sink.rowEnd();
                m_state = State::RowNotBegun;
            } else if (!isPad(c)) {
                m_state = State::Plain;
                m_field.append(c);
            }
            break;
        case State::Plain: {
            // The run of letters up to the next delimiter or line end goes in at once.
            qsizetype j = i;
            while (j < n && s[j] != m_delimiter && s[j] != '\n' && s[j] != '\r')
                ++j;
            m_field.append(s + i, j - i);
            if (m_field.size() > m_max)
                return false;
            i = j - 1;
            if (j < n) {
                ++i;
                endField(sink);
                if (s[j] == m_delimiter) {
                    m_state = State::FieldStart;
                } else {
                    sink.rowEnd();
                    m_state = State::RowNotBegun;
                }
            }
            break;
        }
        case State::Quoted: {
            qsizetype j = i;
            while (j < n && s[j] != '"')
                ++j;
            m_field.append(s + i, j - i);
            m_raw.append(s + i, j - i);
            i = j - 1;
            if (j < n) {
                ++i;
                m_raw.append('"');
                m_state = State::AfterQuote;
            }
            break;
        }
        case State::AfterQuote:
            if (c == '"') {
                // A doubled quote is one quote of the text.
                m_field.append('"');
                m_raw.append('"');
                m_state = State::Quoted;
            } else if (c == m_delimiter) {
                endField(sink);
                m_state = State::FieldStart;
            } else if (lineEnd) {
                endField(sink);
                sink.rowEnd();
                m_state = State::RowNotBegun;
            } else if (isPad(c)) {
                m_raw.append(c);
            } else {
                // Text after the closing quote: the quotes were letters.
                m_field = m_raw;
                m_field.append(c);
                m_raw.clear();
                m_state = State::Plain;
            }
            break;
        }
        if (m_field.size() > m_max || m_raw.size() > m_max)
            return false;
    }
    return true;
}

void FieldSplitter::finish(Sink& sink) {
    if (m_state == State::RowNotBegun)
        return;
    endField(sink);
    sink.rowEnd();
    m_state = State::RowNotBegun;
}

} // namespace wordlist
