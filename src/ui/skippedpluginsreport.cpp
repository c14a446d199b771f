#include "ui/skippedpluginsreport.h"

#include "spi/helperlibrary.h"
#include "spi/pluginmanager.h"
#include "spi/spimessages.h"
#include "ui/errorreport.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace nubivu {

QString skippedPluginsText(const std::vector<SkippedPlugin>& skipped) {
    if (skipped.empty()) return {};
    QString text = QString::fromUtf8(msg::SpiSkippedIntro);
    for (const SkippedPlugin& s : skipped)
        text += QStringLiteral("\n\n") + s.fileName + QStringLiteral("\n") + s.message;
    return text;
}

namespace {

// Waits for the window's first Show, then reports once and goes away.
class ShowWatcher : public QObject {
public:
    ShowWatcher(QWidget& window, QString text) : QObject(&window), text_(std::move(text)) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, watched, [text = text_] { showErrorReport(text); });
            deleteLater();
        }
        return false;
    }

private:
    QString text_;
};

} // namespace

void reportSkippedPluginsWhenShown(QWidget& window, const PluginManager& spis) {
    const QString text = skippedPluginsText(spis.skippedPlugins());
    if (!text.isEmpty()) new ShowWatcher(window, text);
}

void reportSetAsidePlugins() {
    HelperLibrary::onSetAside() = [](const QString& fileName) {
        const QString text =
            QString::fromUtf8(msg::SpiSetAside) + QStringLiteral("\n\n") + fileName;
        QTimer::singleShot(0, QCoreApplication::instance(), [text] { showErrorReport(text); });
    };
}

} // namespace nubivu
