#pragma once
// Paints the card face off screen (gradient background, the main text in the largest bold
// size that fits, four corner texts, every text with a one-pixel shadow) and copies it to
// its window, plainly or blended, again on every tick of its refresh timer.
#include "cardview.h"
#include "cmemdc.h"

#include <QPointer>
#include <memory>

class r_data;

class r_renderer {
public:
    r_renderer() = default;
    ~r_renderer();
    r_renderer(const r_renderer&) = delete;
    r_renderer& operator=(const r_renderer&) = delete;

    // The card area is the window's size now; it keeps that size for the renderer's life.
    void init(CardView* window, std::shared_ptr<r_data> data, float refreshMs, int widthReduction,
              int heightReduction);
    void drawback();
    void drawtobuffer(bool withMain);
    void Refresh();
    void StartTimer();
    void HaltTimer();
    void killrenderer(bool keepData);

    cMemDC& surface() { return m_surface; }
    int mainFontSize() const { return m_mainFontSize; }
    // How wide a corner text is drawn, and the width of the row the two corners of a side
    // share, in the card's pixels.
    int cornerTextWidth(const QString& text);
    int cornerRowWidth() const;
    // The corner texts as the last drawing drew them (top left, bottom left, top right,
    // bottom right; empty where hidden).
    QString drawnCorner(int corner) const { return corner >= 0 && corner < 4 ? m_drawnCorners[corner] : QString(); }
    CardView* window() const { return m_window; }
    std::shared_ptr<r_data> data() const { return m_data; }

private:
    void fitFont(const QString& text, const RECT& r, StdFont& font);
    // `text` cut short with an ellipsis to at most `room` pixels.
    QString elideCorner(const QString& text, int room);
    // Shortens the two corner texts of one side so that both fit its row.
    void fitCornerPair(QString& left, QString& right);

    QPointer<CardView> m_window;
    std::shared_ptr<r_data> m_data;
    RECT m_client;
    float m_refresh = 50.0f;
    cMemDC m_surface;
    int m_widthReduction = 0;
    int m_heightReduction = 0;
    int m_mainFontSize = 0;
    qint64 m_settledSurfaceKey = -1;
    quint64 m_settledViewGeneration = 0;
    bool m_killed = false;
    QString m_drawnCorners[4];
};
