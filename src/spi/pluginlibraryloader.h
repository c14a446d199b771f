#pragma once
// Chooses where a plug-in library runs, by what the file is and where it
// comes from: the plug-ins shipped with the program run in process (trusted,
// fastest); every other native plug-in runs in a helper process, unless the
// user chose to run them in process too.
#include "spi/helperlibrary.h"
#include "spi/libraryloader.h"
#include "spi/wine.h"

#include <functional>
#include <optional>

namespace nubivu {

// Where plug-in libraries run, and what their helpers are held to.
struct PluginLibrarySettings {
    // Third-party native plug-ins in process; unset: the user's choice (Susie
    // settings, key "Plug-in/InProcess").
    std::optional<bool> thirdPartyInProcess;
    // The native helper program; empty: the one beside the program, if it is there.
    QString helperProgram;
    // The Wine that Windows plug-ins run under: the machine's unless a test gives its own.
    Wine wine;
    HelperTimeouts helperLimits;
};

class PluginLibraryLoader : public LibraryLoader {
public:
    // onSetAside: told once for each plug-in its helper sets aside (its
    // path), on the thread whose call failed.
    explicit PluginLibraryLoader(PluginLibrarySettings settings = {},
                                 std::function<void(const QString& fileName)> onSetAside = {});

    std::unique_ptr<PluginLibrary> load(const QString& path) override;
    QString lastError() const override { return lastError_; }

    // Windows plug-ins (PE files) run in the helper for them, under Wine.
    enum class Place { InProcess, Helper, WineHelper };
    // Where the library at path runs.
    Place placeOf(const QString& path) const;
    // Folders whose plug-ins ship with the program.
    static bool isShipped(const QString& path);

    // Whether third-party native plug-ins run in process: as set, else the user's choice.
    bool thirdPartyInProcess() const;
    // The helper program: as set, else beside the program; empty when missing.
    QString helperProgram() const;

private:
    PluginLibrarySettings settings_;
    std::function<void(const QString&)> onSetAside_;
    QString lastError_;
};

} // namespace nubivu
