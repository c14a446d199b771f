#include "ui/prompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace nubivu {

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Stop: return QMessageBox::Critical;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

int WidgetPrompter::ask(const MessageRequest& request) {
    QMessageBox box(boxIcon(request.icon), request.caption, request.text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setInformativeText(request.detail);
    QList<QPushButton*> buttons;
    for (const QString& text : request.buttons)
        buttons.append(box.addButton(text, QMessageBox::AcceptRole));
    if (buttons.isEmpty()) buttons.append(box.addButton(QMessageBox::Ok));
    const int escape = request.escapeButton >= 0 ? request.escapeButton : int(buttons.size()) - 1;
    box.setDefaultButton(buttons.value(request.defaultButton));
    box.setEscapeButton(buttons.value(escape));
    box.exec();
    const int chosen = int(buttons.indexOf(static_cast<QPushButton*>(box.clickedButton())));
    return chosen >= 0 ? chosen : escape;
}

bool WidgetPrompter::runFileDialog(QFileDialog& dialog) {
    return dialog.exec() == QDialog::Accepted;
}

int WidgetPrompter::runModal(QDialog& dialog) { return dialog.exec(); }

void WidgetPrompter::beep() { QApplication::beep(); }

} // namespace nubivu
