#pragma once
// The model of the card face: five texts, the show state of the four corner texts, and the
// colour table (named colours) that the renderer, the main window and the preferences use.
// The table is kept in the master database under the tag "color_metrics".
#include <QString>
#include <QVector>
#include <optional>

class ivordalite;

class r_data {
public:
    r_data();
    ~r_data();
    r_data(const r_data&) = delete;
    r_data& operator=(const r_data&) = delete;

    QString maintext() const { return m_maintext; }
    void setMaintext(const QString& t) { m_maintext = t; }
    // A text drawn in place of the main text while the main text is `over` (the listening
    // drill's question, which is heard, not read); an empty `over` lifts it.
    void setVeil(const QString& over, const QString& shown) {
        m_veilOver = over;
        m_veil = shown;
    }
    QString veil() const { return m_veilOver.isEmpty() || m_veilOver != m_maintext ? QString() : m_veil; }
    // What the card face shows in the middle: the main text, or the veil over it.
    QString shownMaintext() const { return m_veilOver.isEmpty() || m_veilOver != m_maintext ? m_maintext : m_veil; }
    QString toplefttext() const { return m_tltext; }
    void setToplefttext(const QString& t) { m_tltext = t; }
    QString toprighttext() const { return m_trtext; }
    void setToprighttext(const QString& t) { m_trtext = t; }
    QString bottomlefttext() const { return m_bltext; }
    void setBottomlefttext(const QString& t) { m_bltext = t; }
    QString bottomrighttext() const { return m_brtext; }
    void setBottomrighttext(const QString& t) { m_brtext = t; }

    // Corner texts: reset shows the text with no expiry; start shows it for `seconds` and
    // repaints the card once it has expired.
    void tlreset() { m_tlexpiry.reset(); }
    void trreset() { m_trexpiry.reset(); }
    void blreset() { m_blexpiry.reset(); }
    void brreset() { m_brexpiry.reset(); }
    bool tlshow() const { return shown(m_tlexpiry); }
    bool trshow() const { return shown(m_trexpiry); }
    bool blshow() const { return shown(m_blexpiry); }
    bool brshow() const { return shown(m_brexpiry); }
    void starttltime(qint32 seconds) { start(m_tlexpiry, 1, seconds); }
    void starttrtime(qint32 seconds) { start(m_trexpiry, 2, seconds); }
    void startbltime(qint32 seconds) { start(m_blexpiry, 3, seconds); }
    void startbrtime(qint32 seconds) { start(m_brexpiry, 4, seconds); }

    // Colour table; position 0 is a placeholder (empty alias, colour 0) that is never shown.
    void AddColor(const QString& alias, qint32 colour);
    qint32 GetColorByAlias(const QString& alias, qint32 def) const;
    void UpdateColorByAlias(const QString& alias, qint32 colour);
    void cenum(qint16 index, QString& alias, qint32& colour) const;
    qint16 clb() const { return 0; }
    qint16 cub() const { return qint16(m_colours.size() - 1); }
    void writeout();
    void readin();
    void setdefaults();
    // False: going away does not write the table (a copy that is only looked at).
    void setWriteOnRelease(bool on) { m_writeOnRelease = on; }

private:
    struct ColourEntry {
        QString alias;
        qint32 colour = 0;
    };
    // Steady-clock milliseconds after which the corner is hidden; none = shown without limit.
    using Expiry = std::optional<qint64>;

    static bool shown(const Expiry& expiry);
    static void start(Expiry& expiry, int timerId, qint32 seconds);
    void clearTable();
    // Runs `work` on the open master database, or on a store of its own over "sys.qex" in
    // the home folder. False when no store could be had.
    template <typename Work> bool withStore(Work work);

    QString m_tltext;
    Expiry m_tlexpiry;
    QString m_trtext;
    Expiry m_trexpiry;
    QString m_bltext;
    Expiry m_blexpiry;
    QString m_brtext;
    Expiry m_brexpiry;
    QString m_maintext;
    QString m_veilOver;
    QString m_veil;
    QVector<ColourEntry> m_colours;
    bool m_writeOnRelease = true;
};
