#pragma once
// Lets one copy of the program run per user. The first copy holds a local
// socket named after uniqueName until it ends; a copy started meanwhile
// reaches it, acts by dupInstAction and, when it ends, asks the first copy
// to bring its last active window forward (and to open the data list file
// it was started with).
#include "core/errors.h"

#include <QObject>
#include <QString>
#include <functional>

namespace nubivu {

NUBIVU_ERROR_CLASS(EMultiSingleInstance, ENubivuError)
NUBIVU_ERROR_CLASS(EMultiAppInstance, ENubivuError)

enum DuplicateAction { ActivateFirst, RaiseError, TerminateCopy };

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QObject* owner);
    ~SingleInstance() override;

    DuplicateAction dupInstAction = ActivateFirst;
    QString errorMessage;
    QString uniqueName;
    std::function<void(QObject* sender)> onDuplicate;

    // The check, once the properties are set.
    void loaded();
    // After the check: another copy was running.
    bool isDuplicate() const { return duplicate_; }

    // Guards alive in this process.
    static int liveCount();
    // The socket a unique name stands for: in the user's runtime folder,
    // with the user id in it in case that folder is shared.
    static QString serverName(const QString& uniqueName);
    // The data list file this copy was started with.
    static void setStartFile(const QString& path);
    // A second copy has asked the application to end.
    static bool endRequested();
    // Final clean-up once the message loop has ended: a second copy tells
    // the first one to come forward (with its file).
    static void finish();

Q_SIGNALS:
    // In the first copy: a later copy handed over this data list file.
    void fileHandedOver(const QString& path);

private:
    friend class InstanceServer;
    void activateFirst();

    bool duplicate_ = false;
};

} // namespace nubivu
