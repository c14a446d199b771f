#include "ui/errorreport.h"

#include "ui/prompter.h"

#include <QApplication>
#include <QTimer>

namespace nubivu {

void ShowErrorReport(const QString& message) {
    MessageRequest request;
    request.caption = QApplication::applicationName();
    request.text = message;
    request.icon = MessageIcon::Stop;
    request.buttons = {QStringLiteral("OK")};
    Prompter::Current().Ask(request);
}

void QueueErrorReport(const QString& message) {
    QTimer::singleShot(0, qApp, [message] { ShowErrorReport(message); });
}

} // namespace nubivu
