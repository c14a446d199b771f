#pragma once
// In-place renaming of a pane title: a double-click on the label opens its
// edit box over it, Enter takes the text (empty too) and marks the list
// unsaved, Escape drops it, and so does moving the focus elsewhere in the
// window. One instance per title; all seven titles of both windows use it.
#include <QObject>

class QLabel;
class QLineEdit;

namespace nubivu {

class TitleEditor : public QObject {
    Q_OBJECT
public:
    // Watches both widgets; parent owns the editor.
    TitleEditor(QLabel* label, QLineEdit* edit, QObject* parent);

    void Open();
    void Commit();
    void Cancel();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void leave();

    QLabel* label_;
    QLineEdit* edit_;
};

} // namespace nubivu
