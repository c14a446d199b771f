#pragma once
// One pane title of the lesson: the label shows it, and renaming happens in
// place: a double-click on the label opens its edit box over it, Enter takes
// the text (empty too) into the lesson and marks it unsaved, Escape drops it,
// and so does moving the focus elsewhere in the window. One instance per
// title; all seven titles of both windows use it.
#include <QObject>

class QLabel;
class QLineEdit;

namespace nubivu {

class Lesson;

class TitleEditor : public QObject {
    Q_OBJECT
public:
    // Watches both widgets and the lesson's titles; parent owns the editor.
    TitleEditor(Lesson& lesson, int slot, QLabel* label, QLineEdit* edit, QObject* parent);

    void open();
    void commit();
    void cancel();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void leave();
    void showTitle();

    Lesson& lesson_;
    int slot_;
    QLabel* label_;
    QLineEdit* edit_;
};

} // namespace nubivu
