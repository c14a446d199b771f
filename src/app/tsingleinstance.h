#pragma once
// Lets one copy of the program run per user. The first copy holds a local
// socket named after UniqueName until it ends; a copy started meanwhile
// reaches it, acts by DupInstAction and, when it ends, asks the first copy
// to bring its last active window forward (and to open the data list file
// it was started with).
#include "core/errors.h"

#include <QObject>
#include <QString>
#include <functional>

namespace nubivu {

NUBIVU_ERROR_CLASS(EMultiSingleInstance, ENubivuError)
NUBIVU_ERROR_CLASS(EMultiAppInstance, ENubivuError)

enum TDupInstAction { diActivateFirst, diException, diTerminate };

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit TSingleInstance(QObject* owner);
    ~TSingleInstance() override;

    TDupInstAction DupInstAction = diActivateFirst;
    QString ErrorMessage;
    QString UniqueName;
    std::function<void(QObject* sender)> OnDuplicate;

    // The check, once the properties are set.
    void Loaded();
    // After the check: another copy was running.
    bool IsDuplicate() const { return duplicate_; }

    // Guards alive in this process.
    static int LiveCount();
    // The socket a unique name stands for: in the user's runtime folder,
    // with the user id in it in case that folder is shared.
    static QString ServerName(const QString& uniqueName);
    // The data list file this copy was started with.
    static void SetStartFile(const QString& path);
    // A second copy has asked the application to end.
    static bool EndRequested();
    // Final clean-up once the message loop has ended: a second copy tells
    // the first one to come forward (with its file).
    static void Finish();

Q_SIGNALS:
    // In the first copy: a later copy handed over this data list file.
    void FileHandedOver(const QString& path);

private:
    friend class InstanceServer;
    void activateFirst();

    bool duplicate_ = false;
};

} // namespace nubivu
