#include "ui/skippedpluginsreport.h"

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

void reportSetAsidePlugins(const PluginManager& spis) {
    // Queued: the plug-in may have failed on the decoding thread, and the
    // report waits for the event loop in any case.
    QObject::connect(
        &spis, &PluginManager::pluginSetAside, QCoreApplication::instance(),
        [](const QString& fileName) {
            showErrorReport(QString::fromUtf8(msg::SpiSetAside) + QStringLiteral("\n\n") +
                            fileName);
        },
        Qt::QueuedConnection);
}

} // namespace nubivu
