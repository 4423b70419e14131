#include "studydirection.h"

#include <QRandomGenerator>

namespace {
std::function<bool()>& coin() {
    static std::function<bool()> c;
    return c;
}
} // namespace

bool StudyDirection::drawAnswerFirst() const {
    switch (m_direction) {
    case CardDirection::QuestionFirst:
        return false;
    case CardDirection::AnswerFirst:
        return true;
    case CardDirection::Mixed:
        break;
    }
    return coin() ? coin()() : QRandomGenerator::global()->bounded(2) == 1;
}

CardDirection StudyDirection::fromStored(int value) {
    switch (value) {
    case 1:
        return CardDirection::AnswerFirst;
    case 2:
        return CardDirection::Mixed;
    default:
        return CardDirection::QuestionFirst;
    }
}

void StudyDirection::setCoin(std::function<bool()> c) {
    coin() = std::move(c);
}
