#pragma once
// Lists written and read as short texts: one string per data row, slots
// separated by "|", trailing empty slots left out ("a||c" = Cloud a, Rain c).
#include "datalist/datalist.h"

#include <QAbstractItemModel>
#include <QStringList>

namespace nubivu::test {

inline SlotPaths rowOf(const QString& text) {
    SlotPaths paths;
    const QStringList parts = text.split(u'|');
    for (int s = 0; s < SlotCount && s < parts.size(); ++s) paths[size_t(s)] = parts[s];
    return paths;
}

inline void fillList(DataList& list, const QStringList& rows) {
    list.clear();
    std::vector<SlotPaths> paths;
    for (const QString& row : rows) paths.push_back(rowOf(row));
    list.appendRows(paths);
}

inline QString rowText(QStringList cells) {
    while (!cells.isEmpty() && cells.last().isEmpty()) cells.removeLast();
    return cells.join(u'|');
}

// The data rows as texts.
inline QStringList listRows(const DataList& list) {
    QStringList rows;
    for (int y = 0; y < list.count(); ++y) {
        QStringList cells;
        for (int s = 0; s < SlotCount; ++s) cells << list.cell(y, s);
        rows << rowText(cells);
    }
    return rows;
}

// The data rows as the editor's grid shows them; "!" marks a broken look (a
// number that is not the row's, counted from 1, or a last row that is not
// empty) so that a comparison shows it.
inline QStringList gridRows(const QAbstractItemModel& grid) {
    QStringList rows;
    for (int y = 0; y < grid.rowCount(); ++y) {
        QStringList cells;
        for (int x = 0; x < grid.columnCount(); ++x) cells << grid.index(y, x).data().toString();
        QString text = rowText(cells);
        if (grid.headerData(y, Qt::Vertical).toString() != QString::number(y + 1))
            text += QStringLiteral("!number");
        if (y == grid.rowCount() - 1) {
            if (!text.isEmpty()) rows << QStringLiteral("!trailing:") + text;
        } else {
            rows << text;
        }
    }
    return rows;
}

} // namespace nubivu::test
