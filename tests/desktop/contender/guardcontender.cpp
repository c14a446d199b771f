// One contender for the single-instance name: it runs the program's guard
// the moment its standard input gives the word, so that many contenders
// started beforehand claim the name at the same instant. Prints "first" or
// "duplicate"; a first one holds the name until its input closes.
#include "app/singleinstance.h"

#include <QApplication>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::printf("ready\n");
    std::fflush(stdout);
    char go = 0;
    if (::read(STDIN_FILENO, &go, 1) != 1) return 2;
    nubivu::ThisCopy thisCopy;
    nubivu::SingleInstance::Options options;
    options.uniqueName = QStringLiteral("Ident6490");
    options.duplicateAction = nubivu::TerminateCopy;
    nubivu::SingleInstance guard(thisCopy, options, nullptr);
    std::printf("%s\n", guard.isDuplicate() ? "duplicate" : "first");
    std::fflush(stdout);
    if (guard.isDuplicate()) return 0;
    // Connections wait in the socket's backlog meanwhile: enough for a probe.
    while (::read(STDIN_FILENO, &go, 1) > 0) {
    }
    return 0;
}
