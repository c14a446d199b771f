#include "app/nubivuapplication.h"

#include "core/errors.h"
#include "ui/errorreport.h"

namespace nubivu {

NubivuApplication::NubivuApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool NubivuApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const EAbort&) {
    } catch (const ENubivuError& e) {
        showErrorReport(prompter_, e.message(), e.fileName());
    } catch (const std::exception& e) {
        showErrorReport(prompter_, QString::fromLocal8Bit(e.what()));
    }
    return false;
}

} // namespace nubivu
