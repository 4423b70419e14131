#include "fsrs.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace fsrs {

namespace {

constexpr qint64 kMinuteMs = 60 * 1000;
constexpr qint64 kDayMs = 24 * 60 * kMinuteMs;
constexpr int kDayMinutes = 24 * 60;
constexpr double kMinStability = 0.001;
constexpr double kMaxStability = 36500.0;
constexpr double kInitialStabilityCeiling = 100.0;
constexpr double kShortTermCeiling = 2.0;

// Rounds halves up, towards +infinity, as the reference's arithmetic does (std::round
// rounds them away from zero, and floor(x + 0.5) goes wrong just below a half).
double roundHalfUp(double x) {
    const double f = std::floor(x);
    return x - f >= 0.5 ? f + 1 : f;
}

// Nearly every quantity is rounded to 8 decimals before it is used again; rounding at the
// same places is what keeps long review histories from drifting apart from the reference.
double round8(double x) {
    return roundHalfUp(x * 1e8) / 1e8;
}

double clamp(double x, double lo, double hi) {
    return std::min(std::max(x, lo), hi);
}

// Days since the epoch of the UTC date of `ms`, also before 1970. Exact within 100,000
// years of 1970: a quotient short of a whole number by 1 ms in 86,400,000 is never
// rounded up onto it.
qint64 utcDay(qint64 ms) {
    return qint64(std::floor(double(ms) / kDayMs));
}

using Range = std::pair<double, double>;

// The ranges the model is defined on, weight by weight.
constexpr std::array<Range, 21> kWeightRanges = {{
    {kMinStability, kInitialStabilityCeiling},
    {kMinStability, kInitialStabilityCeiling},
    {kMinStability, kInitialStabilityCeiling},
    {kMinStability, kInitialStabilityCeiling},
    {1.0, 10.0},
    {0.001, 4.0},
    {0.001, 4.0},
    {0.001, 0.75},
    {0.0, 4.5},
    {0.0, 0.8},
    {0.001, 3.5},
    {0.001, 5.0},
    {0.001, 0.25},
    {0.001, 0.9},
    {0.0, 4.0},
    {0.0, 1.0},
    {1.0, 6.0},
    {0.0, kShortTermCeiling},
    {0.0, kShortTermCeiling},
    {0.01, 0.8}, // 0.0 without short-term steps, which this scheduler always has
    {0.1, 0.8},
}};

double clip(double x, const Range& range) {
    return clamp(std::isnan(x) ? 0.0 : x, range.first, range.second);
}

// The weights brought into their ranges. Several relearning steps each multiply the
// stability by exp(w17 * w18); a lower ceiling of w17 and w18 keeps a lapse from ending
// with more stability than the card had before it.
std::array<double, 21> clipWeights(std::array<double, 21> w, int relearningSteps) {
    std::array<Range, 21> ranges = kWeightRanges;
    if (relearningSteps > 1) {
        // A lapse at D = 1, R = 0.7, S = 1 must not end above S = 1.
        const double value = -(std::log(clip(w[11], ranges[11])) +
                               std::log(std::pow(2.0, clip(w[13], ranges[13])) - 1.0) + clip(w[14], ranges[14]) * 0.3) /
                             relearningSteps;
        ranges[17].second = ranges[18].second = clamp(round8(std::sqrt(std::max(value, 0.0))), 0.01, kShortTermCeiling);
    }
    std::transform(w.begin(), w.end(), ranges.begin(), w.begin(), clip);
    return w;
}

// A number as JavaScript's String(x) writes it: the shortest digits that read back as x.
// Only 0 and products difficulty * stability, 0.001 .. 365000, come here, so the exponent
// notation JavaScript uses below 1e-6 and from 1e21 on is never needed.
std::string jsNumber(double x) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific);
    const std::string s(buf, res.ptr);
    const auto e = s.find('e');
    std::string digits = s.substr(0, e);
    digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
    const int k = int(digits.size());
    const int n = std::stoi(s.substr(e + 1)) + 1; // x = 0.digits * 10^n
    if (k <= n)
        return digits + std::string(n - k, '0');
    if (n > 0)
        return digits.substr(0, n) + "." + digits.substr(n);
    return "0." + std::string(-n, '0') + digits;
}

std::uint32_t toUint32(double x) {
    return std::uint32_t(std::uint64_t(x));
}

// Baagoe's Mash hash over the UTF-16 units of a string (ASCII here), as the reference's
// Alea generator seeds itself.
class Mash {
public:
    double operator()(const std::string& data) {
        for (const unsigned char c : data) {
            m_n += c;
            double h = 0.02519603282416938 * m_n;
            m_n = toUint32(h);
            h -= m_n;
            h *= m_n;
            m_n = toUint32(h);
            h -= m_n;
            m_n += h * 4294967296.0;
        }
        return toUint32(m_n) * 2.3283064365386963e-10;
    }

private:
    double m_n = 0xefc8249d;
};

// The first number of an Alea generator seeded with `seed`, in [0, 1). Of its three
// seeded states only the first reaches the first number, but the hash must still run over
// the same inputs in the same order.
double aleaFirst(const std::string& seed) {
    Mash mash;
    double s0 = mash(" ");
    mash(" ");
    mash(" ");
    s0 -= mash(seed);
    if (s0 < 0)
        s0 += 1;
    const double t = 2091639 * s0 + 2.3283064365386963e-10; // the carry starts at 1
    return t - double(std::int32_t(t));
}

// The fuzz of a review is fixed by the review time, the card's repetition count after it
// and the product difficulty * stability before it, written "<ms>_<reps>_<d*s>" as the
// reference scheduler writes its seed; a replay of the same log draws the same fuzz.
double fuzzFactor(qint64 now, int reps, const Card& card) {
    return aleaFirst(std::to_string(now) + "_" + std::to_string(reps) + "_" +
                     jsNumber(card.difficulty * card.stability));
}

struct StepMove {
    int minutes; // 0: the card leaves its steps
    int step;
};

// Where a grade moves a card on its steps. Again goes back to the first step; Hard
// repeats the current step, waiting between the first two steps (1.5 times the only
// step); Good goes on to the next step. Good on the last step and Easy leave the steps.
// A card in the review state that lapses starts on the relearning step it had.
StepMove stepMove(const Parameters& p, State state, int step, Grade grade) {
    const bool relearning = state == State::Relearning || state == State::Review;
    const std::vector<int>& steps = relearning ? p.relearningSteps : p.learningSteps;
    const int count = int(steps.size());
    if (count == 0 || step >= count)
        return {};
    step = std::max(0, step);
    if (state == State::Review)
        return grade == Grade::Again ? StepMove{steps[step], 0} : StepMove{};
    switch (grade) {
    case Grade::Again:
        return {steps[0], 0};
    case Grade::Hard:
        return {int(roundHalfUp(count == 1 ? steps[0] * 1.5 : (steps[0] + steps[1]) / 2.0)), step};
    case Grade::Good:
        if (step + 1 < count)
            return {steps[step + 1], step + 1};
        return {};
    case Grade::Easy:
        break;
    }
    return {};
}

} // namespace

int utcDaysBetween(qint64 from, qint64 to) {
    return int(utcDay(to) - utcDay(from));
}

FuzzRange fuzzRange(int interval, int elapsedDays, int maximumInterval) {
    struct Band {
        double start, end, factor;
    };
    // Longer intervals are spread over more days, but over a smaller share of themselves.
    static constexpr Band bands[] = {{2.5, 7.0, 0.15}, {7.0, 20.0, 0.1}, {20.0, INFINITY, 0.05}};
    double delta = 1.0;
    for (const Band& b : bands)
        delta += b.factor * std::max(std::min(double(interval), b.end) - b.start, 0.0);
    interval = std::min(interval, maximumInterval);
    int lo = std::max(2, int(roundHalfUp(interval - delta)));
    const int hi = std::min(int(roundHalfUp(interval + delta)), maximumInterval);
    // Never due again before the wait the card has just survived.
    if (interval > elapsedDays)
        lo = std::max(lo, elapsedDays + 1);
    return {std::min(lo, hi), hi};
}

Scheduler::Scheduler(const Parameters& parameters) : m_parameters(parameters) {
    Parameters& p = m_parameters;
    p.desiredRetention = clamp(p.desiredRetention, kMinRetention, kMaxRetention);
    p.maximumInterval = std::clamp(p.maximumInterval, 1, kMaxIntervalDays);
    p.weights = clipWeights(p.weights, int(p.relearningSteps.size()));
    m_decay = -p.weights[20];
    m_factor = round8(std::exp(std::pow(m_decay, -1) * std::log(0.9)) - 1.0);
    m_intervalModifier = round8((std::pow(p.desiredRetention, 1 / m_decay) - 1) / m_factor);
}

double Scheduler::forgettingCurve(int elapsedDays, double stability) const {
    return round8(std::pow(1 + (m_factor * elapsedDays) / stability, m_decay));
}

Scheduler::Memory Scheduler::nextMemory(const Card& card, int elapsedDays, Grade grade) const {
    const std::array<double, 21>& w = m_parameters.weights;
    const int g = int(grade);
    const auto initialDifficulty = [&](int g) { return round8(w[4] - std::exp((g - 1) * w[5]) + 1); };
    const double d = card.difficulty;
    const double s = card.stability;
    if (d == 0 && s == 0)
        return {std::max(initialDifficulty(g), 1.0), std::max(w[g - 1], 0.1)};
    const double r = forgettingCurve(elapsedDays, s);

    double stability;
    if (elapsedDays == 0) {
        // Reviewed again on the same day: the memory has had no time to decay.
        double growth = std::pow(s, -w[19]) * std::exp(w[17] * (g - 3 + w[18]));
        if (grade != Grade::Again)
            growth = std::max(growth, 1.0);
        stability = round8(clamp(s * growth, kMinStability, kMaxStability));
    } else if (grade == Grade::Again) {
        const double forgotten =
            round8(clamp(w[11] * std::pow(d, -w[12]) * (std::pow(s + 1, w[13]) - 1) * std::exp((1 - r) * w[14]),
                         kMinStability, kMaxStability));
        const double floor = round8(s / std::exp(w[17] * w[18]));
        stability = std::min(std::max(floor, kMinStability), forgotten);
    } else {
        const double hardPenalty = grade == Grade::Hard ? w[15] : 1;
        const double easyBonus = grade == Grade::Easy ? w[16] : 1;
        stability = round8(clamp(s * (1 + std::exp(w[8]) * (11 - d) * std::pow(s, -w[9]) *
                                              (std::exp((1 - r) * w[10]) - 1) * hardPenalty * easyBonus),
                                 kMinStability, kMaxStability));
    }

    // Difficulty moves less the nearer it is to 10, and drifts back towards that of an
    // easy first answer.
    const double delta = -w[6] * (g - 3);
    const double moved = d + round8((delta * (10 - d)) / 9);
    const double difficulty = clamp(round8(w[7] * initialDifficulty(4) + (1 - w[7]) * moved), 1, 10);
    return {difficulty, stability};
}

int Scheduler::nextInterval(double stability, int elapsedDays, double fuzzFactor) const {
    const int interval =
        std::min(std::max(1, int(roundHalfUp(stability * m_intervalModifier))), m_parameters.maximumInterval);
    if (!m_parameters.fuzz || interval < 2.5)
        return interval;
    const FuzzRange range = fuzzRange(interval, elapsedDays, m_parameters.maximumInterval);
    return int(std::floor(fuzzFactor * (range.max - range.min + 1) + range.min));
}

void Scheduler::applySteps(Card& next, const Card& card, Grade grade, State stepState, int elapsedDays, qint64 now,
                           double fuzzFactor) const {
    const StepMove move = stepMove(m_parameters, card.state, card.step, grade);
    if (move.minutes > 0 && move.minutes < kDayMinutes) {
        next.step = move.step;
        next.scheduledDays = 0;
        next.state = stepState;
        next.due = now + move.minutes * kMinuteMs;
    } else if (move.minutes >= kDayMinutes) {
        next.state = State::Review;
        next.step = move.step;
        next.due = now + move.minutes * kMinuteMs;
        next.scheduledDays = move.minutes / kDayMinutes;
    } else {
        next.state = State::Review;
        next.step = 0;
        next.scheduledDays = nextInterval(next.stability, elapsedDays, fuzzFactor);
        next.due = now + next.scheduledDays * kDayMs;
    }
}

std::array<Outcome, 4> Scheduler::preview(const Card& card, qint64 now) const {
    return outcomes(card, now, 0b1111);
}

// Works out the outcomes of the grades in `wanted` (bit 0 Again .. bit 3 Easy). In the
// review state Hard, Good and Easy set each other's intervals apart, so any of them needs
// all three; otherwise each grade stands alone, which keeps a replay to one grade a review.
std::array<Outcome, 4> Scheduler::outcomes(const Card& card, qint64 now, unsigned wanted) const {
    if (card.state == State::Review && (wanted & 0b1110))
        wanted |= 0b1110;
    // A clock set back since the last review counts as the same day; the reference
    // scheduler refuses such a review, but the log it comes from is already written.
    const int elapsed = card.state == State::New ? 0 : std::max(0, utcDaysBetween(card.lastReview, now));
    Card base = card;
    base.lastReview = now;
    base.elapsedDays = elapsed;
    base.reps = card.reps + 1;
    const double fuzz = fuzzFactor(now, base.reps, card);

    std::array<Outcome, 4> out;
    const Grade grades[] = {Grade::Again, Grade::Hard, Grade::Good, Grade::Easy};
    for (int i = 0; i < 4; ++i) {
        if (!(wanted & (1u << i)))
            continue;
        Card& next = out[i].card;
        next = base;
        const Memory m = nextMemory(card, elapsed, grades[i]);
        next.difficulty = m.difficulty;
        next.stability = m.stability;
    }
    if (card.state != State::Review) {
        const State stepState = card.state == State::New ? State::Learning : card.state;
        for (int i = 0; i < 4; ++i)
            if (wanted & (1u << i))
                applySteps(out[i].card, card, grades[i], stepState, elapsed, now, fuzz);
    } else {
        if (wanted & 1u) {
            applySteps(out[0].card, card, Grade::Again, State::Relearning, elapsed, now, fuzz);
            out[0].card.lapses += 1;
        }
        if (!(wanted & 0b1110)) {
            out[0].intervalMs = out[0].card.due - now;
            return out;
        }
        // The better the grade, the longer the wait, by at least a day.
        int hard = nextInterval(out[1].card.stability, elapsed, fuzz);
        int good = nextInterval(out[2].card.stability, elapsed, fuzz);
        hard = std::min(hard, good);
        good = std::max(good, hard + 1);
        const int easy = std::max(nextInterval(out[3].card.stability, elapsed, fuzz), good + 1);
        const int days[] = {hard, good, easy};
        for (int i = 1; i < 4; ++i) {
            Card& next = out[i].card;
            next.state = State::Review;
            next.step = 0;
            next.scheduledDays = days[i - 1];
            next.due = now + days[i - 1] * kDayMs;
        }
    }
    for (Outcome& o : out)
        o.intervalMs = o.card.due - now;
    return out;
}

Outcome Scheduler::next(const Card& card, qint64 now, Grade grade) const {
    Q_ASSERT(grade >= Grade::Again && grade <= Grade::Easy);
    const int i = int(grade) - 1;
    return outcomes(card, now, 1u << i)[i];
}

Card Scheduler::replay(const std::vector<Review>& reviews) const {
    Card card;
    for (const Review& r : reviews)
        card = next(card, r.time, r.grade).card;
    return card;
}

} // namespace fsrs
