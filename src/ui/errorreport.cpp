#include "ui/errorreport.h"

#include "ui/picturepane.h"
#include "ui/prompter.h"

#include <QApplication>
#include <QTimer>

namespace nubivu {

void showErrorReport(Prompter& prompter, const QString& message, const QString& fileName) {
    MessageRequest request;
    request.caption = QApplication::applicationName();
    request.text = message;
    // Some messages name their file already.
    request.detail = message.contains(fileName) ? QString() : fileName;
    request.icon = MessageIcon::Stop;
    request.buttons = {QStringLiteral("OK")};
    prompter.ask(request);
}

void queueErrorReport(Prompter& prompter, QObject* context, const QString& message,
                      const QString& fileName) {
    QTimer::singleShot(0, context, [&prompter, message, fileName] {
        showErrorReport(prompter, message, fileName);
    });
}

void reportPaintFailures(PicturePane& pane, Prompter& prompter) {
    QObject::connect(&pane, &PicturePane::paintFailed, &pane,
                     [&pane, &prompter](const QString& message, const QString& fileName) {
                         queueErrorReport(prompter, &pane, message, fileName);
                     });
}

} // namespace nubivu
