#pragma once
#include <QApplication>

namespace nubivu {

// Nothing may escape an event handler: an exception that reaches the event
// loop is shown as the application's default error report.
class NubivuApplication : public QApplication {
public:
    NubivuApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace nubivu
