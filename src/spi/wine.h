#pragma once
// Wine, which runs the helper for 32-bit Windows plug-ins. Optional: without
// it a Windows plug-in is passed over and named with the reason.
#include <QString>
#include <optional>
#include <utility>

namespace nubivu {

// The plug-in loader holds the Wine its Windows plug-ins run under; tests
// give it one of their own to stand for a machine with or without Wine.
class Wine {
public:
    // The machine's Wine, with the helper beside the program.
    Wine() = default;
    // program: the wine program (empty: not installed); windowsHelper: the
    // helper it runs. Either, when unset, is looked for as the program does.
    explicit Wine(std::optional<QString> program,
                  std::optional<QString> windowsHelper = std::nullopt)
        : program_(std::move(program)), windowsHelper_(std::move(windowsHelper)) {}

    // The wine program on the search path; empty when Wine is not installed.
    QString program() const;
    // The helper Wine runs, beside the program; empty when missing.
    QString windowsHelper() const;
    // Wine's prefix of our own, in the user's cache folder.
    static QString prefix();
    // Whether this Wine runs at all (it needs the system to run 32-bit
    // programs); asked once for this object. reason: why not.
    bool runs(QString* reason = nullptr);
    // Starts making the prefix in the background, when it is not there yet, so
    // that the first Windows plug-in does not wait for it.
    void prepareInBackground() const;

private:
    std::optional<QString> program_;
    std::optional<QString> windowsHelper_;
    std::optional<std::pair<bool, QString>> runs_;
};

} // namespace nubivu
