#pragma once
// Every failure of the program is an exception of one of these classes. The
// message is what the user reads, stored once in the class that raises it.
#include <QString>
#include <exception>

namespace nubivu {

class ENubivuError : public std::exception {
public:
    explicit ENubivuError(QString message);
    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

#define NUBIVU_ERROR_CLASS(Name, Base)                                                             \
    class Name : public Base {                                                                     \
    public:                                                                                        \
        using Base::Base;                                                                          \
    };

// The user stopped an operation on purpose; never reported.
NUBIVU_ERROR_CLASS(EAbort, ENubivuError)
// A file could not be opened, created, read or written.
NUBIVU_ERROR_CLASS(EInOutError, ENubivuError)

} // namespace nubivu
