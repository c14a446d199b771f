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

    // The file the failure is about, where the code that met it knows one;
    // the report shows it beside the message, which stays as designed.
    const QString& fileName() const noexcept { return fileName_; }
    void setFileName(const QString& fileName) { fileName_ = fileName; }

private:
    QString message_;
    QByteArray utf8_;
    QString fileName_;
};

#define NUBIVU_ERROR_CLASS(Name, Base)                                                             \
    class Name : public Base {                                                                     \
    public:                                                                                        \
        using Base::Base;                                                                          \
    };

// Runs work() and names fileName in any failure of the program's own that
// escapes it (unless a more precise name is there already).
template <class Work> decltype(auto) namingFile(const QString& fileName, Work&& work) {
    try {
        return work();
    } catch (ENubivuError& e) {
        if (e.fileName().isEmpty()) e.setFileName(fileName);
        throw;
    }
}

// The user stopped an operation on purpose; never reported.
NUBIVU_ERROR_CLASS(EAbort, ENubivuError)
// A file could not be opened, created, read or written.
NUBIVU_ERROR_CLASS(EInOutError, ENubivuError)

} // namespace nubivu
