// Replays a review history exported by qr2 (Export Review History...) through ts-fsrs with the
// study program's defaults (retention 0.90, fuzz on, steps 1 and 10 minutes, relearning 10
// minutes) and says which reviews give another stability, difficulty or due time.
//     node replay-export.mjs history.csv
import { createEmptyCard, fsrs } from 'ts-fsrs'
import fs from 'fs'
const text = fs.readFileSync(process.argv[2], 'utf8').replace(/^\uFEFF/, '')
// Fields may be quoted: commas, doubled quotes and line breaks inside.
function parse(csv) {
  const rows = [[]]
  let field = '', quoted = false
  for (let i = 0; i < csv.length; i++) {
    const c = csv[i]
    if (quoted) {
      if (c === '"' && csv[i + 1] === '"') { field += '"'; i++ } else if (c === '"') quoted = false; else field += c
    } else if (c === '"') quoted = true
    else if (c === ',') { rows.at(-1).push(field); field = '' }
    else if (c === '\n' || c === '\r') {
      if (c === '\r' && csv[i + 1] === '\n') i++
      rows.at(-1).push(field); field = ''; rows.push([])
    } else field += c
  }
  if (field !== '' || rows.at(-1).length) rows.at(-1).push(field)
  return rows.filter((r) => r.length > 1)
}
const rows = parse(text).slice(1)
const byCard = new Map()
for (const r of rows) {
  const k = r[1] + '\u0000' + r[2]
  if (!byCard.has(k)) byCard.set(k, [])
  byCard.get(k).push(r)
}
const f = fsrs({ request_retention: 0.9, maximum_interval: 36500, enable_fuzz: true, enable_short_term: true,
                 learning_steps: ['1m', '10m'], relearning_steps: ['10m'] })
let bad = 0, n = 0
for (const [k, list] of byCard) {
  list.sort((a, b) => Date.parse(a[3]) - Date.parse(b[3]))
  let card = createEmptyCard(new Date(Date.parse(list[0][3])))
  for (const r of list) {
    card = f.next(card, new Date(Date.parse(r[3])), Number(r[4])).card
    n++
    const ok = Math.abs(card.stability - Number(r[6])) < 1e-4 && Math.abs(card.difficulty - Number(r[7])) < 1e-4 &&
      card.due.getTime() === Date.parse(r[8])
    if (!ok) { bad++; console.log('differs', r[2], r[3], card.stability, card.difficulty, card.due.toISOString(), '| ours', r[6], r[7], r[8]) }
  }
}
console.log(`${n} reviews of ${byCard.size} cards replayed; ${bad} differ`)
