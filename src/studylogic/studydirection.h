#pragma once
// Which side of a card is shown first: the question (the usual way), the answer (to
// recall the word from its meaning), or either side drawn at random for each card.
#include <QString>
#include <functional>

enum class CardDirection { QuestionFirst = 0, AnswerFirst = 1, Mixed = 2 };

class StudyDirection {
public:
    StudyDirection() = default;
    explicit StudyDirection(CardDirection d) : m_direction(d) {}

    CardDirection direction() const { return m_direction; }
    void setDirection(CardDirection d) { m_direction = d; }

    // The side for a card that is being presented: true when its answer comes first. Mixed
    // draws a side each time; the caller keeps it while the card stays on screen.
    bool drawAnswerFirst() const;

    // The stored number of a direction and back; unknown numbers mean question first.
    static int toStored(CardDirection d) { return int(d); }
    static CardDirection fromStored(int value);

    // Replaces the coin of the mixed direction (tests); an empty function restores it.
    static void setCoin(std::function<bool()> coin);

private:
    CardDirection m_direction = CardDirection::QuestionFirst;
};
