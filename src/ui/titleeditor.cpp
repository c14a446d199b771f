#include "ui/titleeditor.h"

#include "datalist/lesson.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

namespace nubivu {

TitleEditor::TitleEditor(Lesson& lesson, int slot, QLabel* label, QLineEdit* edit, QObject* parent)
    : QObject(parent), lesson_(lesson), slot_(slot), label_(label), edit_(edit) {
    showTitle();
    connect(&lesson_, &Lesson::titlesChanged, this, &TitleEditor::showTitle);
    // Titles are typed in Japanese: no hint that would steer an input method
    // towards Latin text, and a Japanese locale for those that ask which
    // language the field prefers.
    edit_->setAttribute(Qt::WA_InputMethodEnabled, true);
    edit_->setInputMethodHints(Qt::ImhNone);
    edit_->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    QPalette palette = edit_->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    edit_->setPalette(palette);
    edit_->hide();
    label_->installEventFilter(this);
    edit_->installEventFilter(this);
}

void TitleEditor::showTitle() { label_->setText(lesson_.titles()[size_t(slot_)]); }

void TitleEditor::open() {
    edit_->setText(lesson_.titles()[size_t(slot_)]);
    edit_->show();
    edit_->raise();
    edit_->setFocus(Qt::MouseFocusReason);
    // Typing replaces the old title.
    edit_->selectAll();
}

void TitleEditor::commit() {
    const QString title = edit_->text();
    leave();
    lesson_.setTitle(slot_, title);
    lesson_.markUnsaved(); // also when the text is unchanged
}

void TitleEditor::cancel() { leave(); }

void TitleEditor::leave() {
    edit_->clear();
    edit_->hide();
}

bool TitleEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == label_ && event->type() == QEvent::MouseButtonDblClick) {
        open();
        return true;
    }
    if (watched != edit_) return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            commit();
            return true; // consumed: no default button, no beep
        }
        if (key == Qt::Key_Escape) {
            cancel();
            return true;
        }
        break;
    }
    case QEvent::ShortcutOverride: {
        // Escape and Enter belong to the box while it is open, not to a
        // dialog's default or cancel handling.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) event->accept();
        break;
    }
    case QEvent::FocusOut: {
        // The focus moving to another window, a menu or an input method's
        // popup leaves the box as it is; moving within the window ends the edit.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) leave();
        break;
    }
    default: break;
    }
    return false;
}

} // namespace nubivu
