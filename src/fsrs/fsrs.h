#pragma once
// FSRS-6 spaced-repetition scheduling of one card. Given the card's memory state (stability,
// difficulty) and the grade of a review, it works out the next memory state and when the
// card is due again: minutes away while the card is on its learning or relearning steps,
// whole days once it is in the review state. The numbers agree with the ts-fsrs 5.x
// scheduler (short-term steps on) to the last digit it rounds to, so that a card's state
// can always be rebuilt from its review log alone.
//
// Times are UTC milliseconds since the epoch throughout; days are counted between UTC
// calendar dates, as the reference scheduler does.
#include <QtGlobal>
#include <array>
#include <vector>

namespace fsrs {

enum class Grade { Again = 1, Hard = 2, Good = 3, Easy = 4 };
enum class State { New = 0, Learning = 1, Review = 2, Relearning = 3 };

// The published default weights of FSRS-6.
inline constexpr std::array<double, 21> kDefaultWeights = {0.212,  1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194,
                                                           0.001,  1.8722, 0.1666, 0.796,  1.4835, 0.0614, 0.2629,
                                                           1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542};

inline constexpr double kMinRetention = 0.70;
inline constexpr double kMaxRetention = 0.97;
inline constexpr int kMaxIntervalDays = 36500;

struct Parameters {
    std::array<double, 21> weights = kDefaultWeights;
    // Kept within kMinRetention .. kMaxRetention: below, cards come back too seldom to be
    // learnt; above, the workload grows out of all proportion.
    double desiredRetention = 0.90;
    // Minutes. A step of a day or more takes the card to the review state on that step.
    std::vector<int> learningSteps{1, 10};
    std::vector<int> relearningSteps{10};
    int maximumInterval = kMaxIntervalDays; // days, 1 .. kMaxIntervalDays
    // Spreads review-state intervals of three days and more over a few neighbouring days,
    // so cards learnt together do not stay together.
    bool fuzz = true;
};

struct Card {
    qint64 due = 0;
    double stability = 0;
    double difficulty = 0;
    int elapsedDays = 0;   // days between the last two reviews
    int scheduledDays = 0; // 0 while on a (re)learning step
    int step = 0;          // index into the learning or relearning steps
    int reps = 0;
    int lapses = 0;
    State state = State::New;
    qint64 lastReview = 0; // only meaningful once the card has left the new state
};

struct Outcome {
    Card card;
    qint64 intervalMs = 0; // from the review to card.due
};

struct Review {
    qint64 time = 0;
    Grade grade = Grade::Good;
};

class Scheduler {
public:
    explicit Scheduler(const Parameters& parameters = {});

    // The parameters in force: retention, maximum interval and weights brought into range.
    const Parameters& parameters() const { return m_parameters; }

    // `grade` must be one of the four; a log read from a file is checked before it comes here.
    Outcome next(const Card& card, qint64 now, Grade grade) const;
    // The outcomes of the four grades, Again first, for the labels of the grade buttons.
    std::array<Outcome, 4> preview(const Card& card, qint64 now) const;
    // The card after `reviews`, in order, starting from a new card.
    Card replay(const std::vector<Review>& reviews) const;

private:
    struct Memory {
        double difficulty;
        double stability;
    };

    std::array<Outcome, 4> outcomes(const Card& card, qint64 now, unsigned wanted) const;
    Memory nextMemory(const Card& card, int elapsedDays, Grade grade) const;
    double forgettingCurve(int elapsedDays, double stability) const;
    int nextInterval(double stability, int elapsedDays, double fuzzFactor) const;
    void applySteps(Card& next, const Card& card, Grade grade, State stepState, int elapsedDays, qint64 now,
                    double fuzzFactor) const;

    Parameters m_parameters;
    double m_decay = 0;
    double m_factor = 0;
    double m_intervalModifier = 0;
};

// The range a fuzzed interval of `interval` days is drawn from, both ends included.
struct FuzzRange {
    int min;
    int max;
};
FuzzRange fuzzRange(int interval, int elapsedDays, int maximumInterval);

// Whole days between the UTC calendar dates of two instants (negative if `to` is earlier).
int utcDaysBetween(qint64 from, qint64 to);

} // namespace fsrs
