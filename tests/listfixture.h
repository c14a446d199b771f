#pragma once
// Lists written and read as short texts: one string per data row, slots
// separated by "|", trailing empty slots left out ("a||c" = Cloud a, Rain c).
#include "datalist/datalist.h"

#include <QStringList>

namespace nubivu::test {

inline SlotPaths rowOf(const QString& text) {
    SlotPaths paths;
    const QStringList parts = text.split(u'|');
    for (int s = 0; s < SlotCount && s < parts.size(); ++s) paths[size_t(s)] = parts[s];
    return paths;
}

inline void fillList(DataList& list, const QStringList& rows) {
    list.setRowCount(2);
    for (int x = 1; x < DataList::ColCount; ++x) list.setCell(x, 1, QString());
    std::vector<SlotPaths> paths;
    for (const QString& row : rows) paths.push_back(rowOf(row));
    list.appendDataRows(paths);
    list.setCell(0, 0, QStringLiteral("No"));
    list.setCell(0, 1, QStringLiteral("1"));
}

// The data rows as texts; "!" marks a broken invariant (a number out of place
// or a trailing row that is not empty) so that a comparison shows it.
inline QStringList listRows(const DataList& list) {
    QStringList rows;
    for (int y = 1; y < list.rowCount(); ++y) {
        QStringList parts;
        for (int x = 1; x < DataList::ColCount; ++x) parts << list.Cell(x, y);
        while (!parts.isEmpty() && parts.last().isEmpty()) parts.removeLast();
        QString text = parts.join(u'|');
        if (list.Cell(0, y) != QString::number(y)) text += QStringLiteral("!number");
        if (y == list.rowCount() - 1) {
            if (!text.isEmpty()) rows << QStringLiteral("!trailing:") + text;
        } else {
            rows << text;
        }
    }
    return rows;
}

} // namespace nubivu::test
