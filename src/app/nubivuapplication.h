#pragma once
#include "app/systemsound.h"
#include "ui/prompter.h"

#include <QApplication>

namespace nubivu {

// The program's Qt application. It owns the real prompter and sound player
// that main() hands to the windows, and nothing may escape an event handler:
// an exception that reaches the event loop is shown through that prompter as
// the application's default error report.
class NubivuApplication : public QApplication {
public:
    NubivuApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    Prompter& prompter() { return prompter_; }
    SystemSound& systemSound() { return sound_; }

private:
    WidgetPrompter prompter_;
    CanberraSound sound_;
};

} // namespace nubivu
