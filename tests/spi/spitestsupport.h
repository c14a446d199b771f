#pragma once
// Shared by the plug-in host tests: the test plug-ins, pictures in their
// made-up format, managers that run them in process and whose search folders
// can be pointed anywhere, and a Susie settings file of the test's own.
#include "pictures/graphicerrors.h"
#include "spi/pluginlibraryloader.h"
#include "spi/pluginmanager.h"
#include "testfiles.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <dlfcn.h>
#include <functional>

#include "nubitest.h"

namespace nubivu::test {

// The test plug-ins run in this process, where the tests can ask them what
// they were called with; the helper's own tests switch this off.
inline PluginManagerOptions testOptions() {
    PluginManagerOptions options;
    options.libraries.thirdPartyInProcess = true;
    return options;
}

// The loader of testOptions, for wrappers built without a manager.
inline LibraryLoader& testLoader() {
    static PluginLibraryLoader loader(testOptions().libraries);
    return loader;
}

// The options with the test's own folders for some search options (an empty
// one: none); the others stay the program's.
inline PluginManagerOptions withFolders(PluginManagerOptions options,
                                        const QMap<PluginFolder, QString>& folders) {
    options.folderPaths = [folders](PluginFolder option) {
        const auto it = folders.find(option);
        if (it == folders.end()) return PluginManager::standardFolders(option);
        return it.value().isEmpty() ? QStringList() : QStringList{it.value()};
    };
    return options;
}

inline QString pluginPath(const QString& name) {
    return QStringLiteral(NUBIVU_TEST_PLUGIN_DIR "/") + name + QStringLiteral(".spi");
}

// Copies a test plug-in into folder (as fileName, default its own name); the copy's path.
inline QString copyPlugin(const QString& name, const QString& folder, QString fileName = {}) {
    if (fileName.isEmpty()) fileName = name + QStringLiteral(".spi");
    const QString target = QDir(folder).filePath(fileName);
    QFile::remove(target);
    if (!QFile::copy(pluginPath(name), target)) qFatal("cannot copy plug-in %s", qPrintable(name));
    return target;
}

// A picture of the test format.
inline QByteArray nubiPicture(int bits, int width, int height, int seed = 0, int lie = 0,
                              int form = 0) {
    QByteArray b("NUBITEST");
    b.append(char(bits)).append(char(lie));
    b.append(char(width & 0xFF)).append(char(width >> 8));
    b.append(char(height & 0xFF)).append(char(height >> 8));
    b.append(char(seed)).append(char(form));
    return b;
}

// What the loaded plug-in at path was asked, as "Entry@offset;..." (offset
// for file sources, 0 for memory). The plug-in must be loaded already.
inline QString pluginLog(const QString& path, bool reset = false) {
    void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return QStringLiteral("<not loaded>");
    auto log = reinterpret_cast<const char* (*)()>(dlsym(handle, "NubiTestLog"));
    auto clear = reinterpret_cast<void (*)()>(dlsym(handle, "NubiTestResetLog"));
    const QString text = log ? QString::fromLatin1(log()) : QString();
    if (reset && clear) clear();
    dlclose(handle);
    return text;
}

// Runs load and checks that it raises the plug-in graphic's "could not decode".
inline void expectCouldNotDecode(const std::function<void()>& load) {
    try {
        load();
        QFAIL("no exception");
    } catch (const EInvalidGraphic& e) {
        QCOMPARE(e.message(), QStringLiteral("Susie Plugins could not decode"));
    }
}

inline bool isLoaded(const QString& path) {
    void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle != nullptr;
}

// Points the Susie settings at a folder of the test's own, for the whole run.
inline void isolateSusieSettings() {
    static QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

// The "Plug-in/Path" value; an invalid variant removes it.
inline void setSusiePath(const QVariant& value) {
    QSettings settings(QStringLiteral("Quorril"), QStringLiteral("Susie"));
    if (value.isValid())
        settings.setValue(QStringLiteral("Plug-in/Path"), value);
    else
        settings.remove(QStringLiteral("Plug-in/Path"));
    settings.sync();
}

} // namespace nubivu::test
