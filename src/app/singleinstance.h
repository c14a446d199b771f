#pragma once
// Lets one copy of the program run per user. The first copy holds a local
// socket named after the unique name until it ends; a copy started meanwhile
// reaches it, acts by its duplicate action and, when it ends, asks the first
// copy to bring its last active window forward (and to open the data list
// file it was started with).
#include "core/errors.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalSocket;

namespace nubivu {

NUBIVU_ERROR_CLASS(EMultiSingleInstance, ENubivuError)
NUBIVU_ERROR_CLASS(EMultiAppInstance, ENubivuError)

enum DuplicateAction { ActivateFirst, RaiseError, TerminateCopy };

class InstanceServer;

// This copy of the program's standing towards the others: the name it holds
// as the first copy, or its line to the first copy as a later one, and the
// file it hands over. It outlives the guard, since the farewell to the first
// copy is said once the main window is gone: the application owns it.
class ThisCopy {
public:
    // startFile: the data list file this copy was started with, if any.
    explicit ThisCopy(const QString& startFile = QString());
    ~ThisCopy();
    ThisCopy(const ThisCopy&) = delete;
    ThisCopy& operator=(const ThisCopy&) = delete;

    // Guards alive for this copy.
    int liveGuards() const { return liveGuards_; }
    // A guard met another copy and asked the application to end.
    bool endRequested() const { return endRequested_; }
    // Final clean-up once the message loop has ended: a later copy tells the
    // first one to come forward (with its file).
    void finish();

private:
    friend class SingleInstance;

    QString startFile_;
    int liveGuards_ = 0;
    bool endRequested_ = false;
    // The name held as the first copy; it answers for whichever guard ran
    // the check last.
    std::unique_ptr<InstanceServer> server_;
    // A later copy's line to the first copy, kept open until this copy ends.
    std::unique_ptr<QLocalSocket> toFirstCopy_;
};

class SingleInstance : public QObject {
    Q_OBJECT
public:
    struct Options {
        // Names the socket; without one nothing is held and every copy runs.
        QString uniqueName;
        DuplicateAction duplicateAction = ActivateFirst;
        // What RaiseError raises.
        QString errorMessage = QStringLiteral("すでに起動されています");
        // Told first when another copy runs; sender is the guard.
        std::function<void(QObject* sender)> onDuplicate;
    };

    // Runs the check at once. Raises EMultiSingleInstance when the copy has
    // a guard already, and EMultiAppInstance when another copy runs and the
    // action is RaiseError.
    SingleInstance(ThisCopy& copy, Options options, QObject* owner);
    ~SingleInstance() override;

    const Options& options() const { return options_; }
    // Another copy was running.
    bool isDuplicate() const { return duplicate_; }

    // The socket a unique name stands for: in the user's runtime folder,
    // with the user id in it in case that folder is shared.
    static QString serverName(const QString& uniqueName);

Q_SIGNALS:
    // In the first copy: a later copy handed over this data list file.
    void fileHandedOver(const QString& path);

private:
    friend class InstanceServer;
    void check();
    void requestEnd();
    void activateFirst();

    ThisCopy& copy_;
    const Options options_;
    bool duplicate_ = false;
};

} // namespace nubivu
