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
        Q_EMIT list_.currentChanged(list_.col(), list_.row());
    }

private:
    DataList& list_;
    QSignalBlocker blocker_;
};
} // namespace

void clearList(Lesson& lesson) {
    DataList& list = lesson.rows();
    Batch batch(list);
    if (list.rowCount() > 2) {
        list.setRowCount(2);
        for (int x = 1; x < DataList::ColCount; ++x) list.setCell(x, 1, QString());
        lesson.markUnsaved();
    }
    list.setCurrent(1, 1);
}

void insertCell(Lesson& lesson) {
    DataList& list = lesson.rows();
    Batch batch(list);
    const int c = list.col();
    const int r = list.row();
    const int n = list.rowCount();
    if (r < n - 1) {
        list.shiftColumnDown(c, r);
        // The last data row's value moved into the trailing row: it is a row now.
        if (!list.Cell(c, n - 1).isEmpty()) list.appendNumberedRow();
    }
    list.setCurrent(c, r);
    lesson.markUnsaved();
}

void insertRow(Lesson& lesson) {
    DataList& list = lesson.rows();
    Batch batch(list);
    const int c = list.col();
    const int r = list.row();
    const int n = list.rowCount();
    if (r < n - 1) {
        list.shiftRowsDown(r);
        if (!list.isBlankRow(n - 1)) list.appendNumberedRow();
    }
    list.setCurrent(c, r);
    lesson.markUnsaved();
}

void deleteCell(Lesson& lesson) {
    DataList& list = lesson.rows();
    Batch batch(list);
    const int c = list.col();
    const int r = list.row();
    list.shiftColumnUp(c, r);
    list.setCurrent(c, r);
    lesson.markUnsaved();
}

void clearCell(Lesson& lesson) {
    DataList& list = lesson.rows();
    Batch batch(list);
    list.setCell(list.col(), list.row(), QString());
    deleteRowIfBlank(lesson);
    lesson.markUnsaved();
}

void deleteRowIfBlank(Lesson& lesson) {
    DataList& list = lesson.rows();
    if (list.isBlankRow(list.row())) deleteRow(lesson);
}

void deleteRow(Lesson& lesson) {
    DataList& list = lesson.rows();
    const int n = list.rowCount();
    const int r = list.row();
    if (n < 3 || r == n - 1) return;
    Batch batch(list);
    const int c = list.col();
    list.removeDataRow(r);
    list.setCurrent(c, r);
    lesson.markUnsaved();
}

void deleteBlankRows(Lesson& lesson) {
    DataList& list = lesson.rows();
    if (list.rowCount() < 3) return;
    Batch batch(list);
    std::vector<int> blank;
    for (int y = 1; y < list.rowCount() - 1; ++y)
        if (list.isBlankRow(y)) blank.push_back(y);
    if (!blank.empty()) {
        list.removeRows(blank);
        list.renumber(blank.front());
        lesson.markUnsaved();
    }
    list.setCurrent(1, 1);
}

} // namespace nubivu
