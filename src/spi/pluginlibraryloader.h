#pragma once
// Chooses where a plug-in library runs, by what the file is and where it
// comes from: the plug-ins shipped with the program run in process (trusted,
// fastest); every other native plug-in runs in a helper process, unless the
// user chose to run them in process too.
#include "spi/libraryloader.h"

#include <optional>

namespace nubivu {

class PluginLibraryLoader : public LibraryLoader {
public:
    std::unique_ptr<PluginLibrary> load(const QString& path) override;
    QString lastError() const override { return lastError_; }

    // Windows plug-ins (PE files) run in the helper for them, under Wine.
    enum class Place { InProcess, Helper, WineHelper };
    // Where the library at path runs.
    static Place placeOf(const QString& path);
    // Folders whose plug-ins ship with the program.
    static bool isShipped(const QString& path);

    // The user's choice: third-party native plug-ins in process (Susie
    // settings, key "Plug-in/InProcess"); an override wins when set.
    static bool thirdPartyInProcess();
    static void overrideThirdPartyInProcess(std::optional<bool> inProcess);

    // The helper program: an override, else beside the program; empty when missing.
    static QString helperProgram();
    static void overrideHelperProgram(const QString& program);

    // The process's loader, the one the wrappers use unless another is
    // installed; the overrides above are its settings.
    static PluginLibraryLoader& system();

private:
    PluginLibraryLoader() = default;

    QString lastError_;
    // Set by tests and the bench for the whole process.
    std::optional<bool> inProcessOverride_;
    QString helperOverride_;
};

} // namespace nubivu
