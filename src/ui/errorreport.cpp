#include "ui/errorreport.h"

#include "ui/prompter.h"

#include <QApplication>
#include <QTimer>

namespace nubivu {

void showErrorReport(const QString& message, const QString& fileName) {
    MessageRequest request;
    request.caption = QApplication::applicationName();
    request.text = message;
    // Some messages name their file already.
    request.detail = message.contains(fileName) ? QString() : fileName;
    request.icon = MessageIcon::Stop;
    request.buttons = {QStringLiteral("OK")};
    Prompter::current().ask(request);
}

void queueErrorReport(const QString& message, const QString& fileName) {
    QTimer::singleShot(0, qApp, [message, fileName] { showErrorReport(message, fileName); });
}

} // namespace nubivu
