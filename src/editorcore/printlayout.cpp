#include "printlayout.h"

#include <algorithm>

namespace qredit {

QVector<ListPage> listPages(const QVector<int>& heights, int firstRoom, int room) {
    QVector<ListPage> pages{ListPage{}};
    int left = firstRoom;
    for (int i = 0; i < heights.size(); ++i) {
        const int h = std::max(0, heights[i]);
        if (h > left && pages.last().count > 0) {
            pages.append(ListPage{i, 0});
            left = room;
        }
        ++pages.last().count;
        left -= h;
    }
    return pages;
}

QVector<CardPage> cardPages(int cards, int columns, int rows) {
    QVector<CardPage> pages;
    const int perSheet = std::max(1, columns) * std::max(1, rows);
    columns = std::max(1, columns);
    for (int first = 0; first < cards; first += perSheet) {
        CardPage front, back;
        back.backs = true;
        for (int k = 0; k < perSheet && first + k < cards; ++k) {
            const int column = k % columns, row = k / columns;
            front.cells.append({first + k, column, row});
            back.cells.append({first + k, columns - 1 - column, row});
        }
        pages.append(front);
        pages.append(back);
    }
    return pages;
}

} // namespace qredit
