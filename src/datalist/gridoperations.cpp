#include "datalist/gridoperations.h"

#include <QSignalBlocker>

namespace nubivu {

namespace {
// Views re-read the whole list once at the end of an operation, never per cell.
class Batch {
public:
    explicit Batch(DataList& list) : list_(list), blocker_(list) {}
    ~Batch() {
        blocker_.unblock();
        Q_EMIT list_.rowsReset();
        Q_EMIT list_.currentChanged(list_.Col(), list_.Row());
    }

private:
    DataList& list_;
    QSignalBlocker blocker_;
};
} // namespace

void ClearList(Lesson& lesson) {
    DataList& list = lesson.rows();
    Batch batch(list);
    if (list.RowCount() > 2) {
        list.SetRowCount(2);
        for (int x = 1; x < DataList::ColCount; ++x) list.SetCell(x, 1, QString());
        lesson.markUnsaved();
    }
    list.SetCurrent(1, 1);
}

void InsertCell(Lesson& lesson) {
    DataList& list = lesson.rows();
    Batch batch(list);
    const int c = list.Col();
    const int r = list.Row();
    const int n = list.RowCount();
    if (r < n - 1) {
        list.ShiftColumnDown(c, r);
        // The last data row's value moved into the trailing row: it is a row now.
        if (!list.Cell(c, n - 1).isEmpty()) list.AppendNumberedRow();
    }
    list.SetCurrent(c, r);
    lesson.markUnsaved();
}

void InsertRow(Lesson& lesson) {
    DataList& list = lesson.rows();
    Batch batch(list);
    const int c = list.Col();
    const int r = list.Row();
    const int n = list.RowCount();
    if (r < n - 1) {
        list.ShiftRowsDown(r);
        if (!list.IsBlankRow(n - 1)) list.AppendNumberedRow();
    }
    list.SetCurrent(c, r);
    lesson.markUnsaved();
}

void DeleteCell(Lesson& lesson) {
    DataList& list = lesson.rows();
    Batch batch(list);
    const int c = list.Col();
    const int r = list.Row();
    list.ShiftColumnUp(c, r);
    list.SetCurrent(c, r);
    lesson.markUnsaved();
}

void ClearCell(Lesson& lesson) {
    DataList& list = lesson.rows();
    Batch batch(list);
    list.SetCell(list.Col(), list.Row(), QString());
    DeleteRowIfBlank(lesson);
    lesson.markUnsaved();
}

void DeleteRowIfBlank(Lesson& lesson) {
    DataList& list = lesson.rows();
    if (list.IsBlankRow(list.Row())) DeleteRow(lesson);
}

void DeleteRow(Lesson& lesson) {
    DataList& list = lesson.rows();
    const int n = list.RowCount();
    const int r = list.Row();
    if (n < 3 || r == n - 1) return;
    Batch batch(list);
    const int c = list.Col();
    list.RemoveDataRow(r);
    list.SetCurrent(c, r);
    lesson.markUnsaved();
}

void DeleteBlankRows(Lesson& lesson) {
    DataList& list = lesson.rows();
    if (list.RowCount() < 3) return;
    Batch batch(list);
    std::vector<int> blank;
    for (int y = 1; y < list.RowCount() - 1; ++y)
        if (list.IsBlankRow(y)) blank.push_back(y);
    if (!blank.empty()) {
        list.RemoveRows(blank);
        list.Renumber(blank.front());
        lesson.markUnsaved();
    }
    list.SetCurrent(1, 1);
}

} // namespace nubivu
