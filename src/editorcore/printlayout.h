#pragma once
// A chapter on paper, laid out without drawing anything: which rows of a two-column word
// list go on which page, and where each card of a cut-out sheet sits. Cut-out cards come
// in sheets of two pages: the fronts on the odd page, the backs on the even page with the
// columns mirrored left to right, so that a double-sided print (turned over the long edge)
// puts each back behind its front.
#include <QVector>

namespace qredit {

// The rows of one page of a word list: [first, first + count).
struct ListPage {
    int first = 0;
    int count = 0;
};

// Pages for rows of the given heights: the first page has `firstRoom` (below the title), the
// others `room`. A row taller than a page gets a page of its own. No rows: one empty page.
QVector<ListPage> listPages(const QVector<int>& heights, int firstRoom, int room);

struct CardCell {
    int card = 0;   // index of the card
    int column = 0; // from the left of the page
    int row = 0;    // from the top
};

struct CardPage {
    bool backs = false; // the even page of a sheet
    QVector<CardCell> cells;
};

// Sheets of `columns` x `rows` cards, in card order left to right, top to bottom on the
// front page; the back page holds the same cards, each at the mirrored column.
QVector<CardPage> cardPages(int cards, int columns, int rows);

} // namespace qredit
