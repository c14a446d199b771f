#include "testrunner.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <memory>

namespace nubivu::test {

std::vector<TestClass>& registry() {
    static std::vector<TestClass> registry;
    return registry;
}

QString corpusDir() {
    const QString dir = QString::fromUtf8(qgetenv("NUBIVU_CORPUS"));
    const QString path = dir.isEmpty() ? QStringLiteral(NUBIVU_CORPUS_DIR) : dir;
    return QFileInfo(path + QStringLiteral("/FILES.tsv")).exists() ? QDir(path).absolutePath()
                                                                   : QString();
}

} // namespace nubivu::test

int main(int argc, char** argv) {
    // A runtime folder of its own: the main window's single-instance guard
    // then never meets a copy of the program the user runs meanwhile.
    QTemporaryDir runtime;
    if (runtime.isValid()) qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    // And settings of its own: the recent files and the Susie plug-in folder
    // the user has are neither read nor changed by a test.
    QTemporaryDir config;
    if (config.isValid()) qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nubivu"));
    const char* only = nullptr;
    std::vector<char*> args(argv, argv + argc);
    if (argc > 1 && argv[1][0] != '-') {
        only = argv[1];
        args.erase(args.begin() + 1);
    }
    int failures = 0;
    int ran = 0;
    for (const auto& entry : nubivu::test::registry()) {
        if (only && std::strcmp(only, entry.name) != 0) continue;
        std::unique_ptr<QObject> object(entry.create());
        failures += QTest::qExec(object.get(), int(args.size()), args.data());
        ++ran;
    }
    if (only && ran == 0) {
        std::fprintf(stderr, "no test class named %s\n", only);
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
