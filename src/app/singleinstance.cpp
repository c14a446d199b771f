#include "app/singleinstance.h"

#include "app/instancemessage.h"
#include "core/logging.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
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

namespace {
constexpr int kConnectMs = 1000;
constexpr int kFarewellMs = 2000;
constexpr int kLockMs = 5000;

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

// The name held by the first copy, as long as the copy's standing lasts. It
// answers later copies for whichever guard ran the check last.
class InstanceServer : public QObject {
public:
    // What the claim on a name came to.
    enum class Claim { Holding, OtherCopy, Off };

    // Under the lock: reach a copy that holds the name (the line to it ends
    // in probe), else take the name (into held), removing a dead socket first.
    static Claim claimName(const QString& name, QLocalSocket& probe,
                           std::unique_ptr<InstanceServer>& held) {
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
        auto server = std::make_unique<QLocalServer>();
        if (!server->listen(name)) {
            guardOff(
                QStringLiteral("cannot listen on \"%1\": %2").arg(path, server->errorString()));
            return Claim::Off;
        }
        held.reset(new InstanceServer(server.release(), name));
        return Claim::Holding;
    }

    const QString& name() const { return name_; }
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
    // Takes server, listening, as its child: the name goes with this object.
    InstanceServer(QLocalServer* server, QString name) : name_(std::move(name)) {
        server->setParent(this);
        connect(server, &QLocalServer::newConnection, this, [this, server] {
            while (QLocalSocket* peer = server->nextPendingConnection()) serve(peer);
        });
        qApp->installEventFilter(this);
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

    QString name_;
    QPointer<SingleInstance> guard_;
    QPointer<QWidget> lastActive_;
};

ThisCopy::ThisCopy(const QString& startFile)
    : startFile_(startFile.isEmpty() ? QString() : QFileInfo(startFile).absoluteFilePath()) {}

ThisCopy::~ThisCopy() = default;

void ThisCopy::finish() {
    if (!toFirstCopy_) return;
    InstanceMessage message;
    if (!startFile_.isEmpty()) message = {InstanceMessage::Kind::Open, startFile_};
    toFirstCopy_->write(message.encode());
    toFirstCopy_->waitForBytesWritten(kFarewellMs);
    toFirstCopy_->disconnectFromServer();
    if (toFirstCopy_->state() != QLocalSocket::UnconnectedState)
        toFirstCopy_->waitForDisconnected(kFarewellMs);
    toFirstCopy_.reset();
}

SingleInstance::SingleInstance(ThisCopy& copy, Options options, QObject* owner)
    : QObject(owner), copy_(copy), options_(std::move(options)) {
    if (copy_.liveGuards_ > 0)
        throw EMultiSingleInstance(QStringLiteral("Only single component allowed"));
    ++copy_.liveGuards_;
    try {
        check();
    } catch (...) {
        --copy_.liveGuards_; // the destructor does not run for a constructor that throws
        throw;
    }
}

SingleInstance::~SingleInstance() { --copy_.liveGuards_; }

QString SingleInstance::serverName(const QString& uniqueName) {
    const QString name = uniqueName + QString::number(::getuid());
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? name : runtime + QLatin1Char('/') + name;
}

void SingleInstance::check() {
    if (options_.uniqueName.isEmpty()) return;
    const QString name = serverName(options_.uniqueName);
    if (!copy_.server_ || copy_.server_->name() != name) {
        auto probe = std::make_unique<QLocalSocket>();
        switch (InstanceServer::claimName(name, *probe, copy_.server_)) {
        case InstanceServer::Claim::Off: return;
        case InstanceServer::Claim::Holding: break;
        case InstanceServer::Claim::OtherCopy:
            duplicate_ = true;
            qCInfo(lcInstance) << "another copy runs";
            if (options_.onDuplicate) options_.onDuplicate(this);
            switch (options_.duplicateAction) {
            case ActivateFirst:
                copy_.toFirstCopy_ = std::move(probe);
                requestEnd();
                break;
            case RaiseError: throw EMultiAppInstance(options_.errorMessage);
            case TerminateCopy: requestEnd(); break;
            }
            return;
        }
        qCInfo(lcInstance) << "first copy, holding" << name;
    }
    copy_.server_->setGuard(this);
}

void SingleInstance::requestEnd() {
    copy_.endRequested_ = true;
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void SingleInstance::activateFirst() {
    auto* mainWindow = qobject_cast<QWidget*>(parent());
    QWidget* window = copy_.server_ ? copy_.server_->lastActive() : nullptr;
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

} // namespace nubivu
