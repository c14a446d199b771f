#include "app/tsingleinstance.h"

#include "app/instancemessage.h"

#include <QApplication>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QPointer>
#include <QStandardPaths>
#include <QWidget>
#include <unistd.h>

namespace nubivu {

Q_LOGGING_CATEGORY(lcInstance, "nubivu.instance", QtWarningMsg)

namespace {
constexpr int kConnectMs = 1000;
constexpr int kFarewellMs = 2000;

int liveGuards = 0;
QString startFile;
bool endRequested = false;
// A second copy's line to the first copy, kept open until this copy ends.
QLocalSocket* toFirstCopy = nullptr;

void requestEnd() {
    endRequested = true;
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

bool reach(QLocalSocket& socket, const QString& name) {
    socket.connectToServer(name);
    return socket.waitForConnected(kConnectMs);
}
} // namespace

// The name held by the first copy, for the whole life of the process. It
// answers later copies for whichever guard ran the check last.
class InstanceServer : public QObject {
public:
    static InstanceServer* Current() { return current_; }

    static InstanceServer* Listen(const QString& name) {
        // No socket options: with them Qt would rename its socket over the
        // name and so never notice a copy that started at the same moment.
        // The runtime folder is the user's own anyway.
        auto* server = new QLocalServer(qApp);
        bool listening = server->listen(name);
        if (!listening && server->serverError() == QAbstractSocket::AddressInUseError) {
            // A copy that started at the same moment may hold it now;
            // otherwise a copy that ended abnormally left its socket behind.
            QLocalSocket probe;
            if (reach(probe, name)) {
                delete server;
                return nullptr;
            }
            QLocalServer::removeServer(name);
            listening = server->listen(name);
            if (listening)
                qCInfo(lcInstance) << "taking over the name left by a copy that ended abnormally";
        }
        if (!listening) {
            qCInfo(lcInstance) << "name neither reachable nor free:" << server->errorString();
            delete server;
            return nullptr;
        }
        current_ = new InstanceServer(server, name);
        return current_;
    }

    const QString& Name() const { return name_; }
    void SetGuard(TSingleInstance* guard) { guard_ = guard; }

    // The window the user last worked with, for bringing forward.
    QWidget* LastActive() const { return lastActive_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowActivate && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow()) lastActive_ = widget;
        }
        return false;
    }

private:
    InstanceServer(QLocalServer* server, QString name) : QObject(server), name_(std::move(name)) {
        connect(server, &QLocalServer::newConnection, this, [this, server] {
            while (QLocalSocket* peer = server->nextPendingConnection()) serve(peer);
        });
        qApp->installEventFilter(this);
    }
    ~InstanceServer() override {
        if (current_ == this) current_ = nullptr;
    }

    void serve(QLocalSocket* peer) {
        connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        // Room for one line of the longest kind and a byte more: a longer
        // line fills it without an end and the peer is dropped.
        peer->setReadBufferSize(InstanceMessage::MaxLine + 2);
        connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
            while (peer->canReadLine()) {
                QByteArray line = peer->readLine();
                line.chop(1);
                handle(InstanceMessage::Decode(line));
            }
            if (peer->bytesAvailable() > InstanceMessage::MaxLine) peer->abort();
        });
    }

    void handle(const std::optional<InstanceMessage>& message) {
        if (!message || !guard_) return;
        guard_->activateFirst();
        if (message->kind == InstanceMessage::Kind::Open) {
            qCInfo(lcInstance) << "file handed over:" << message->path;
            Q_EMIT guard_->FileHandedOver(message->path);
        }
    }

    static inline InstanceServer* current_ = nullptr;
    QString name_;
    QPointer<TSingleInstance> guard_;
    QPointer<QWidget> lastActive_;
};

TSingleInstance::TSingleInstance(QObject* owner)
    : QObject(owner), ErrorMessage(QStringLiteral("すでに起動されています")) {
    ++liveGuards;
    if (liveGuards > 1) {
        --liveGuards; // the destructor does not run for a constructor that throws
        throw EMultiSingleInstance(QStringLiteral("Only single component allowed"));
    }
}

TSingleInstance::~TSingleInstance() { --liveGuards; }

int TSingleInstance::LiveCount() { return liveGuards; }

QString TSingleInstance::ServerName(const QString& uniqueName) {
    const QString name = uniqueName + QString::number(::getuid());
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? name : runtime + QLatin1Char('/') + name;
}

void TSingleInstance::SetStartFile(const QString& path) {
    startFile = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

bool TSingleInstance::EndRequested() { return endRequested; }

void TSingleInstance::Loaded() {
    if (UniqueName.isEmpty()) return;
    const QString name = ServerName(UniqueName);
    InstanceServer* held = InstanceServer::Current();
    if (!held || held->Name() != name) {
        auto probe = std::make_unique<QLocalSocket>();
        bool otherCopy = reach(*probe, name);
        if (!otherCopy) {
            held = InstanceServer::Listen(name);
            if (!held) {
                // Lost a race to a copy started at the same moment, or the
                // name can neither be taken nor reached: then run silently.
                probe = std::make_unique<QLocalSocket>();
                otherCopy = reach(*probe, name);
                if (!otherCopy) return;
            }
        }
        if (otherCopy) {
            duplicate_ = true;
            qCInfo(lcInstance) << "another copy runs";
            if (OnDuplicate) OnDuplicate(this);
            switch (DupInstAction) {
            case diActivateFirst:
                delete toFirstCopy;
                toFirstCopy = probe.release();
                requestEnd();
                break;
            case diException: throw EMultiAppInstance(ErrorMessage);
            case diTerminate: requestEnd(); break;
            }
            return;
        }
        qCInfo(lcInstance) << "first copy, holding" << name;
    }
    held->SetGuard(this);
}

void TSingleInstance::activateFirst() {
    auto* mainWindow = qobject_cast<QWidget*>(parent());
    QWidget* window = InstanceServer::Current() ? InstanceServer::Current()->LastActive() : nullptr;
    if (!window || !window->isVisible()) window = mainWindow;
    if (!window) return;
    if ((mainWindow && mainWindow->isMinimized()) || window->isMinimized()) {
        qCInfo(lcInstance) << "asked to come forward; stays minimised";
        return;
    }
    window->raise();
    window->activateWindow();
    qCInfo(lcInstance) << "brought forward:" << window->objectName();
}

void TSingleInstance::Finish() {
    if (!toFirstCopy) return;
    InstanceMessage message;
    if (!startFile.isEmpty()) message = {InstanceMessage::Kind::Open, startFile};
    toFirstCopy->write(message.Encode());
    toFirstCopy->waitForBytesWritten(kFarewellMs);
    toFirstCopy->disconnectFromServer();
    if (toFirstCopy->state() != QLocalSocket::UnconnectedState)
        toFirstCopy->waitForDisconnected(kFarewellMs);
    delete toFirstCopy;
    toFirstCopy = nullptr;
}

} // namespace nubivu
