// Writes the review sequences that tst_fsrs replays, computed by the reference scheduler
// (ts-fsrs, pinned in package.json). A fixed PRNG seed makes every run print the same file:
//   npm ci && node generate.mjs > vectors.zlib
//
// Line format (numbers separated by single spaces):
//   S retention maximumInterval fuzz learningSteps relearningSteps startMs weights card
//       one sequence begins; steps are minutes joined by ',' or '-' for none; weights are
//       21 numbers joined by ',' or '-' for the defaults; card is '-' for a new card or
//       state,step,stability,difficulty,reps,lapses,lastReviewMs for one made up
//   R gapSeconds grade state step scheduledDays dueMinutes stability difficulty
//       one review, gapSeconds after the previous one (the first one after startMs); the card
//       it leaves is due dueMinutes after the review
//   E reps lapses elapsedDays
//       the counters of the card after the sequence's last review
import { CLAMP_PARAMETERS, createEmptyCard, default_w, fsrs } from 'ts-fsrs'
import { deflateSync } from 'node:zlib'

const SEQUENCES = 10000
const FUZZED_SEQUENCES = 600
// Made-up cards and weights: difficulty * stability written as a whole number or below one
// in the fuzz seed, weights outside their ranges, review times before 1970.
const MADE_UP_SEQUENCES = 600

// mulberry32: small, and the same on every platform.
function prng(seed) {
    let a = seed >>> 0
    return () => {
        a = (a + 0x6d2b79f5) >>> 0
        let t = a
        t = Math.imul(t ^ (t >>> 15), t | 1)
        t ^= t + Math.imul(t ^ (t >>> 7), t | 61)
        return ((t ^ (t >>> 14)) >>> 0) / 4294967296
    }
}
const random = prng(20240531)
const pick = (list) => list[Math.floor(random() * list.length)]
const between = (lo, hi) => lo + random() * (hi - lo)

const RETENTIONS = [0.7, 0.75, 0.8, 0.85, 0.9, 0.9, 0.9, 0.93, 0.95, 0.97]
// The usual steps most of the time; now and then none, one, or steps of a day and more,
// which take the card to the review state on a step.
const STEP_SETS = [
    [[1, 10], [10]],
    [[], []],
    [[5], [10]],
    [[1, 10, 60], [10, 60]],
    [[10, 1440], [10, 1440, 2880]],
    [[1, 5, 10, 30], []],
]
const YEAR_S = 365 * 86400

function grade() {
    const x = random()
    return x < 0.15 ? 1 : x < 0.3 ? 2 : x < 0.85 ? 3 : 4
}

// Seconds from this review to the next: on time, early or late against the due date, at
// the same moment, or anything from half a minute to four years.
function gap(card, nowMs) {
    const x = random()
    if (x < 0.5) {
        const scheduled = Math.max(60000, card.due.getTime() - nowMs)
        return Math.max(0, Math.round((scheduled * between(0.2, 2.5)) / 1000))
    }
    if (x < 0.58) return Math.floor(random() * 5)
    return Math.round(Math.exp(between(Math.log(30), Math.log(4 * YEAR_S))))
}

const steps = (list) => (list.length ? list.join(',') : '-')
const out = []

// The defaults with one to three weights anywhere from half a range below to half a range
// above the range the model allows.
function madeUpWeights() {
    const w = [...default_w]
    const ranges = CLAMP_PARAMETERS(2.0, true)
    for (let n = 1 + Math.floor(random() * 3); n > 0; n--) {
        // Half the time one of those that set the ceiling of w17 and w18.
        const i = random() < 0.5 ? pick([11, 13, 14, 17, 18]) : Math.floor(random() * 21)
        const [lo, hi] = ranges[i]
        w[i] = Math.round(between(lo - (hi - lo) / 2, hi + (hi - lo) / 2) * 1e4) / 1e4
    }
    return w
}

function madeUpCard(startMs) {
    const state = pick([1, 2, 2, 2, 3])
    const difficulty = random() < 0.5 ? 1 + Math.floor(random() * 10) : Math.round(between(1, 10) * 1e8) / 1e8
    const stability = random() < 0.7 ? (1 + Math.floor(random() * 400)) / 4 : Math.round(between(0.01, 1) * 1e4) / 1e4
    const lastReview = startMs - Math.floor(random() * 400 * 86400000)
    return {
        due: new Date(lastReview),
        stability,
        difficulty,
        elapsed_days: 0,
        scheduled_days: 0,
        learning_steps: Math.floor(random() * 3),
        reps: 1 + Math.floor(random() * 20),
        lapses: Math.floor(random() * 5),
        state,
        last_review: new Date(lastReview),
    }
}

function sequence(fuzz, madeUp) {
    const [learning, relearning] = madeUp
        ? pick([STEP_SETS[0], STEP_SETS[3], STEP_SETS[4]])
        : random() < 0.85
          ? STEP_SETS[0]
          : pick(STEP_SETS)
    const retention = pick(RETENTIONS)
    const maximum = random() < 0.9 ? 36500 : pick([100, 365, 1000])
    const w = madeUp ? madeUpWeights() : undefined
    const scheduler = fsrs({
        w,
        request_retention: retention,
        maximum_interval: maximum,
        enable_fuzz: fuzz,
        enable_short_term: true,
        learning_steps: learning.map((m) => `${m}m`),
        relearning_steps: relearning.map((m) => `${m}m`),
    })
    const from = madeUp && random() < 0.3 ? Date.UTC(1950, 0, 1) : Date.UTC(2020, 0, 1)
    const startMs = Math.floor(between(from, from + 10 * 365 * 86400000))
    let card = madeUp ? madeUpCard(startMs) : createEmptyCard(new Date(startMs))
    const cardText = madeUp
        ? [card.state, card.learning_steps, card.stability, card.difficulty, card.reps, card.lapses,
           card.last_review.getTime()].join(',')
        : '-'
    out.push(
        `S ${retention} ${maximum} ${fuzz ? 1 : 0} ${steps(learning)} ${steps(relearning)} ${startMs} ` +
            `${w ? w.join(',') : '-'} ${cardText}`
    )
    let nowMs = startMs
    const reviews = 1 + Math.floor(random() * random() * 40)
    for (let i = 0; i < reviews; i++) {
        const g = i === 0 && !madeUp ? 0 : gap(card, nowMs)
        nowMs += g * 1000
        const r = grade()
        card = scheduler.next(card, new Date(nowMs), r).card
        const dueMs = card.due.getTime() - nowMs
        if (dueMs % 60000 !== 0) throw new Error(`due not on a whole minute: ${dueMs}`)
        out.push(
            `R ${g} ${r} ${card.state} ${card.learning_steps} ${card.scheduled_days} ${dueMs / 60000} ` +
                `${card.stability} ${card.difficulty}`
        )
    }
    out.push(`E ${card.reps} ${card.lapses} ${card.elapsed_days}`)
}

for (let i = 0; i < SEQUENCES; i++) sequence(false, false)
for (let i = 0; i < FUZZED_SEQUENCES; i++) sequence(true, false)
for (let i = 0; i < MADE_UP_SEQUENCES; i++) sequence(i % 2 === 0, true)
// Compressed as Qt's qCompress() does (the text's length in 4 bytes, big-endian, then a zlib
// stream), which qUncompress() in the test reads back: a fifth of the text's size.
const text = Buffer.from(out.join('\n') + '\n')
const length = Buffer.alloc(4)
length.writeUInt32BE(text.length)
process.stdout.write(Buffer.concat([length, deflateSync(text, { level: 9 })]))
