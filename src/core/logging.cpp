#include "core/logging.h"

#include "core/errors.h"

#include <exception>

namespace nubivu {

Q_LOGGING_CATEGORY(lcPictures, "nubivu.pictures", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPlugins, "nubivu.plugins", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPlay, "nubivu.play", QtWarningMsg)
Q_LOGGING_CATEGORY(lcInstance, "nubivu.instance", QtWarningMsg)

void logCaughtFailure(const QLoggingCategory& category, const QString& file,
                      const char* consequence) {
    QString reason;
    bool expected = false;
    try {
        throw;
    } catch (const ENubivuError& e) {
        reason = e.message();
        expected = true;
    } catch (const std::exception& e) {
        reason = QString::fromLocal8Bit(e.what());
    } catch (...) {
        reason = QStringLiteral("unknown failure");
    }
    const QString text = QStringLiteral("%1: %2 (%3)")
                             .arg(file.isEmpty() ? QStringLiteral("(no file)") : file, reason,
                                  QLatin1String(consequence));
    if (expected) {
        if (category.isInfoEnabled()) QMessageLogger().info(category).noquote() << text;
    } else if (category.isWarningEnabled()) {
        QMessageLogger().warning(category).noquote() << text;
    }
}

} // namespace nubivu
