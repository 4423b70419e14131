#pragma once
// Splits the text of a word list into fields and rows the way spreadsheet programs read it:
// a quote counts only around a whole field. A field that starts with a quote (after spaces)
// is quoted: it may hold delimiters, line breaks and doubled quotes, and ends at the quote
// followed by the delimiter or the end of the line (spaces between are passed over). When
// anything else follows that quote, the quotes were letters of the field: the field is its
// text as written, quotes included, up to the next delimiter or line end
// (`das Zitat<TAB>"Hello", he said` is two fields, the second `"Hello", he said`). A quote
// inside an unquoted field is a letter too.
//
// Blank lines give no row. Spaces (and tabs, unless the tab is the delimiter) around an
// unquoted field are dropped. The input comes in pieces of any size; one field longer
// than the bound stops the splitting, so memory stays bounded whatever the input.
#include <QByteArray>

namespace wordlist {

class FieldSplitter {
public:
    class Sink {
    public:
        virtual ~Sink() = default;
        virtual void field(const QByteArray& text) = 0;
        virtual void rowEnd() = 0;
    };

    FieldSplitter(char delimiter, qsizetype maxField);

    // False when a field grows past the bound; nothing more should be fed then.
    bool feed(const char* s, qsizetype n, Sink& sink);
    // Ends the last row when no line break ends it. A quote still open is the caller's to refuse.
    void finish(Sink& sink);
    // True once the current row has begun (a line that is not blank has started).
    bool rowBegun() const { return m_state != State::RowNotBegun; }
    // True inside a quoted field whose closing quote has not come.
    bool quoteOpen() const { return m_state == State::Quoted; }

private:
    enum class State { RowNotBegun, FieldStart, Plain, Quoted, AfterQuote };
    bool isPad(char c) const { return c == ' ' || (c == '\t' && m_delimiter != '\t'); }
    void endField(Sink& sink);

    const char m_delimiter;
    const qsizetype m_max;
    State m_state = State::RowNotBegun;
    QByteArray m_field; // the field's text so far
    QByteArray m_raw;   // a quoted field as written, from its opening quote
};

} // namespace wordlist
