#include "app/singleinstance.h"

#include "app/instancemessage.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QPointer>
#include <QStandardPaths>
#include <QWidget>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nubivu {

Q_LOGGING_CATEGORY(lcInstance, "nubivu.instance", QtWarningMsg)

namespace {
constexpr int kConnectMs = 1000;
constexpr int kFarewellMs = 2000;
constexpr int kLockMs = 5000;

// This copy of the program's standing towards the others. It outlives any
// guard (the farewell to the first copy is said once the main window is
// gone), so the process keeps one.
struct ThisCopy {
    int liveGuards = 0;
    QString startFile;
    bool endRequested = false;
    // A second copy's line to the first copy, kept open until this copy ends.
    QLocalSocket* toFirstCopy = nullptr;
};

ThisCopy& thisCopy() {
    static ThisCopy copy;
    return copy;
}

void requestEnd() {
    thisCopy().endRequested = true;
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

bool reach(QLocalSocket& socket, const QString& name) {
    socket.connectToServer(name);
    return socket.waitForConnected(kConnectMs);
}
} // namespace

// Serialises the claim on a name between copies of this user: the probe,
// the removal of a socket left by a crashed copy and the listen happen
// under an exclusive lock on a file beside the socket. Without it two copies
// starting together could both find the stale socket dead, and the later
// one would remove the earlier one's live socket and listen in its place.
// The kernel drops the lock if a copy dies holding it.
class NameLock {
public:
    explicit NameLock(const QString& socketPath) {
        const QByteArray path = QFile::encodeName(socketPath + QStringLiteral(".lock"));
        fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ < 0) {
            qCInfo(lcInstance) << "no lock beside the name:" << ::strerror(errno);
            return;
        }
        // A copy holds it for a moment only; one that hangs in it must not
        // hang every later start.
        QDeadlineTimer deadline(kLockMs);
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired()) {
                qCInfo(lcInstance) << "going on without the lock:" << ::strerror(errno);
                return;
            }
            ::usleep(10 * 1000);
        }
    }
    ~NameLock() {
        if (fd_ >= 0) ::close(fd_); // releases the lock
    }
    NameLock(const NameLock&) = delete;
    NameLock& operator=(const NameLock&) = delete;

private:
    int fd_ = -1;
};

// The name held by the first copy, for the whole life of the process. It
// answers later copies for whichever guard ran the check last.
class InstanceServer : public QObject {
public:
    static InstanceServer* current() { return current_; }

    // What the claim on a name came to.
    enum class Claim { Holding, OtherCopy, Off };

    // Under the lock: reach a copy that holds the name (the line to it ends
    // in probe), else take the name, removing a dead socket first.
    static Claim claimName(const QString& name, QLocalSocket& probe) {
        const QString path = socketPath(name);
        NameLock lock(path);
        if (reach(probe, name)) return Claim::OtherCopy;
        struct stat st {};
        if (::lstat(QFile::encodeName(path).constData(), &st) == 0) {
            if (!S_ISSOCK(st.st_mode)) {
                guardOff(QStringLiteral("\"%1\" is in the way and is not a socket").arg(path));
                return Claim::Off;
            }
            // Nobody answers on it: a copy that ended abnormally left it.
            if (::unlink(QFile::encodeName(path).constData()) == 0)
                qCInfo(lcInstance) << "taking over the name left by a copy that ended abnormally";
        }
        // No socket options: with them Qt would rename its socket over the
        // name. The runtime folder is the user's own anyway.
        auto* server = new QLocalServer(qApp);
        if (!server->listen(name)) {
            guardOff(
                QStringLiteral("cannot listen on \"%1\": %2").arg(path, server->errorString()));
            delete server;
            return Claim::Off;
        }
        current_ = new InstanceServer(server, name);
        return Claim::Holding;
    }

    const QString& Name() const { return name_; }
    void setGuard(SingleInstance* guard) { guard_ = guard; }

    // The window the user last worked with, for bringing forward.
    QWidget* lastActive() const { return lastActive_; }

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
                // Acting on it may ask the user (save the lesson first?),
                // and the peer may be gone, and deleted, by the time the
                // answer comes: act from the event loop, with the socket
                // left behind.
                if (auto message = InstanceMessage::decode(line))
                    QMetaObject::invokeMethod(
                        this, [this, message = *message] { handle(message); },
                        Qt::QueuedConnection);
            }
            if (peer->bytesAvailable() > InstanceMessage::MaxLine) peer->abort();
        });
    }

    void handle(const InstanceMessage& message) {
        if (!guard_) return;
        guard_->activateFirst();
        if (message.kind == InstanceMessage::Kind::Open) {
            qCInfo(lcInstance) << "file handed over:" << message.path;
            Q_EMIT guard_->fileHandedOver(message.path);
        }
    }

    // Where a server name lands in the file system (Qt puts a bare name
    // in the temporary folder).
    static QString socketPath(const QString& name) {
        return QDir::isAbsolutePath(name) ? name : QDir::tempPath() + QLatin1Char('/') + name;
    }

    // Said once, as the check runs once: the copy goes on as a first copy
    // without a name, so later copies will not find it.
    static void guardOff(const QString& why) {
        qCWarning(lcInstance).noquote() << "single-instance guard off:" << why;
    }

    static inline InstanceServer* current_ = nullptr;
    QString name_;
    QPointer<SingleInstance> guard_;
    QPointer<QWidget> lastActive_;
};

SingleInstance::SingleInstance(QObject* owner)
    : QObject(owner), errorMessage(QStringLiteral("すでに起動されています")) {
    int& live = thisCopy().liveGuards;
    ++live;
    if (live > 1) {
        --live; // the destructor does not run for a constructor that throws
        throw EMultiSingleInstance(QStringLiteral("Only single component allowed"));
    }
}

SingleInstance::~SingleInstance() { --thisCopy().liveGuards; }

int SingleInstance::liveCount() { return thisCopy().liveGuards; }

QString SingleInstance::serverName(const QString& uniqueName) {
    const QString name = uniqueName + QString::number(::getuid());
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? name : runtime + QLatin1Char('/') + name;
}

void SingleInstance::setStartFile(const QString& path) {
    thisCopy().startFile = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

bool SingleInstance::endRequested() { return thisCopy().endRequested; }

void SingleInstance::loaded() {
    if (uniqueName.isEmpty()) return;
    const QString name = serverName(uniqueName);
    InstanceServer* held = InstanceServer::current();
    if (!held || held->Name() != name) {
        auto probe = std::make_unique<QLocalSocket>();
        switch (InstanceServer::claimName(name, *probe)) {
        case InstanceServer::Claim::Off: return;
        case InstanceServer::Claim::Holding: break;
        case InstanceServer::Claim::OtherCopy:
            duplicate_ = true;
            qCInfo(lcInstance) << "another copy runs";
            if (onDuplicate) onDuplicate(this);
            switch (dupInstAction) {
            case ActivateFirst:
                delete thisCopy().toFirstCopy;
                thisCopy().toFirstCopy = probe.release();
                requestEnd();
                break;
            case RaiseError: throw EMultiAppInstance(errorMessage);
            case TerminateCopy: requestEnd(); break;
            }
            return;
        }
        held = InstanceServer::current();
        qCInfo(lcInstance) << "first copy, holding" << name;
    }
    held->setGuard(this);
}

void SingleInstance::activateFirst() {
    auto* mainWindow = qobject_cast<QWidget*>(parent());
    QWidget* window = InstanceServer::current() ? InstanceServer::current()->lastActive() : nullptr;
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

void SingleInstance::finish() {
    ThisCopy& copy = thisCopy();
    QLocalSocket*& toFirstCopy = copy.toFirstCopy;
    if (!toFirstCopy) return;
    InstanceMessage message;
    if (!copy.startFile.isEmpty()) message = {InstanceMessage::Kind::Open, copy.startFile};
    toFirstCopy->write(message.encode());
    toFirstCopy->waitForBytesWritten(kFarewellMs);
    toFirstCopy->disconnectFromServer();
    if (toFirstCopy->state() != QLocalSocket::UnconnectedState)
        toFirstCopy->waitForDisconnected(kFarewellMs);
    delete toFirstCopy;
    toFirstCopy = nullptr;
}

} // namespace nubivu
