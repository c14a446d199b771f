#include "ui/skippedpluginsreport.h"

#include "spi/pluginmanager.h"
#include "spi/spimessages.h"
#include "ui/errorreport.h"

#include <QEvent>
#include <QPointer>
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
    ShowWatcher(QWidget& window, QString text, Prompter& prompter)
        : QObject(&window), text_(std::move(text)), prompter_(prompter) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            queueErrorReport(prompter_, watched, text_);
            deleteLater();
        }
        return false;
    }

private:
    QString text_;
    Prompter& prompter_;
};

} // namespace

void reportSkippedPluginsWhenShown(QWidget& window, const PluginManager& spis, Prompter& prompter) {
    const QString text = skippedPluginsText(spis.skippedPlugins());
    if (!text.isEmpty()) new ShowWatcher(window, text, prompter);
}

void reportSetAsidePlugins(const PluginManager& spis, QWidget& window, Prompter& prompter) {
    // Queued to the window's thread: the plug-in may have failed on the
    // decoding thread, and the report waits for the event loop in any case.
    // It goes with the window, which the prompter outlives.
    QObject::connect(
        &spis, &PluginManager::pluginSetAside, &window,
        [&prompter](const QString& fileName) {
            showErrorReport(prompter, QString::fromUtf8(msg::SpiSetAside) + QStringLiteral("\n\n") +
                                          fileName);
        },
        Qt::QueuedConnection);
}

} // namespace nubivu
