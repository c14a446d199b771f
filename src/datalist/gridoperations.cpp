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
        Q_EMIT list_.currentChanged(list_.currentRow(), list_.currentSlot());
    }

private:
    DataList& list_;
    QSignalBlocker blocker_;
};
} // namespace

void clearList(Lesson& lesson) {
    DataList& list = lesson.rows();
    Batch batch(list);
    lesson.forgetRowTimes();
    if (!list.isEmpty()) {
        list.clear();
        lesson.markUnsaved();
    }
    list.setCurrent(0, 0);
}

void insertCell(Lesson& lesson) {
    DataList& list = lesson.rows();
    Batch batch(list);
    const int r = list.currentRow();
    const int s = list.currentSlot();
    if (r < list.count()) {
        // The last row's value moves down past the end: it is a row of its own now.
        if (!list.cell(list.count() - 1, s).isEmpty()) list.appendRow();
        list.shiftSlotDown(s, r);
    }
    list.setCurrent(r, s);
    lesson.markUnsaved();
}

void insertRow(Lesson& lesson) {
    DataList& list = lesson.rows();
    Batch batch(list);
    const int r = list.currentRow();
    const int s = list.currentSlot();
    if (r < list.count()) {
        // Every slot moves down one: a blank last row becomes the empty row
        // after the list, so the list grows only when the last row had a value.
        if (list.isBlankRow(list.count() - 1)) list.removeRow(list.count() - 1);
        list.insertRow(r);
    }
    list.setCurrent(r, s);
    lesson.markUnsaved();
}

void deleteCell(Lesson& lesson) {
    DataList& list = lesson.rows();
    Batch batch(list);
    const int r = list.currentRow();
    const int s = list.currentSlot();
    list.shiftSlotUp(s, r);
    list.setCurrent(r, s);
    lesson.markUnsaved();
}

void clearCell(Lesson& lesson) {
    DataList& list = lesson.rows();
    Batch batch(list);
    list.setCell(list.currentRow(), list.currentSlot(), QString());
    deleteRowIfBlank(lesson);
    lesson.markUnsaved();
}

void deleteRowIfBlank(Lesson& lesson) {
    DataList& list = lesson.rows();
    if (list.isBlankRow(list.currentRow())) deleteRow(lesson);
}

void deleteRow(Lesson& lesson) {
    DataList& list = lesson.rows();
    const int r = list.currentRow();
    if (r >= list.count()) return;
    Batch batch(list);
    const int s = list.currentSlot();
    list.removeRow(r);
    // The row below takes the current row's place; after the last row it is
    // the empty row after the list.
    list.setCurrent(r, s);
    lesson.markUnsaved();
}

void deleteBlankRows(Lesson& lesson) {
    DataList& list = lesson.rows();
    if (list.isEmpty()) return;
    Batch batch(list);
    if (list.removeBlankRows() > 0) lesson.markUnsaved();
    list.setCurrent(0, 0);
}

} // namespace nubivu
