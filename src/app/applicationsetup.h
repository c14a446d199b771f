#pragma once
// What the program sets up around its windows: its name, the language of
// Qt's own texts, and the answers to --help and --version.
#include <QLocale>
#include <QString>
#include <optional>

class QCoreApplication;

namespace nubivu {

// Keeps the memory of pictures once freed for the next ones: a play frees
// and takes a row of multi-megabyte pictures many times a second, and giving
// it back to the system each time costs a page fault for every page of the
// next row. Pictures beyond 32 MB are still mapped and given back singly.
void keepPictureMemory();

// The program speaks Japanese, whatever the desktop's language.
QLocale programLocale();

// The application's name (the caption of its error reports). No display
// name is set: Qt would append it to every window's caption on X11.
void setApplicationIdentity();

// Loads Qt's own translations (file dialogs, standard buttons) for locale
// from folder; false when there are none, which is no error.
bool loadQtTranslations(QCoreApplication& app, const QLocale& locale, const QString& folder);
// The same from the folder Qt was installed with.
bool loadQtTranslations(QCoreApplication& app, const QLocale& locale);

// "--help" or "--version" among the arguments: the text to print on
// standard output, after which the program ends with status 0.
std::optional<QString> infoOptionText(int argc, const char* const* argv);

} // namespace nubivu
