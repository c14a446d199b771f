#include "ui/skippedpluginsreport.h"

#include "spi/helperlibrary.h"
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

void reportSetAsidePlugins(QWidget& window, Prompter& prompter) {
    // The hook may be called on the decoding thread; the report is queued to
    // the window's, and dropped with the window, which the prompter outlives.
    HelperLibrary::onSetAside() = [window = QPointer<QWidget>(&window),
                                   &prompter](const QString& fileName) {
        const QString text =
            QString::fromUtf8(msg::SpiSetAside) + QStringLiteral("\n\n") + fileName;
        if (window) queueErrorReport(prompter, window, text);
    };
}

} // namespace nubivu
