#pragma once
// The wait until a card is due again as a grade button shows it: "10 min", "5 h", "3 d",
// "2.1 mo", "1.4 y".
#include <QString>

namespace fsrs {

// Each unit is used while the wait, rounded in that unit, stays below the next unit, so a
// wait of 59.6 minutes reads "1 h", never "60 min". A month is a twelfth of 365 days.
// Waits below a minute read "1 min": a grade button never means "now".
QString intervalText(qint64 ms);

} // namespace fsrs
