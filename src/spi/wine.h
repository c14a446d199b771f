#pragma once
// Wine, which runs the helper for 32-bit Windows plug-ins. Optional: without
// it a Windows plug-in is passed over and named with the reason.
#include "core/replaceable.h"

#include <QString>
#include <optional>
#include <utility>

namespace nubivu {

// current() is the Wine that Windows plug-ins run under; tests install one of
// their own to stand for a machine with or without it.
class Wine : public Replaceable<Wine> {
public:
    // program: the wine program (empty: not installed); windowsHelper: the
    // helper it runs. Either, when unset, is looked for as the program does.
    explicit Wine(std::optional<QString> program = std::nullopt,
                  std::optional<QString> windowsHelper = std::nullopt)
        : program_(std::move(program)), windowsHelper_(std::move(windowsHelper)) {}

    // The wine program on the search path; empty when Wine is not installed.
    QString program() const;
    // The helper Wine runs, beside the program; empty when missing.
    QString windowsHelper() const;
    // Wine's prefix of our own, in the user's cache folder.
    static QString prefix();
    // Whether this Wine runs at all (it needs the system to run 32-bit
    // programs); asked once. reason: why not.
    bool runs(QString* reason = nullptr);
    // Starts making the prefix in the background, when it is not there yet, so
    // that the first Windows plug-in does not wait for it.
    void prepareInBackground() const;

private:
    friend class Replaceable<Wine>;
    static Wine& real();

    std::optional<QString> program_;
    std::optional<QString> windowsHelper_;
    std::optional<std::pair<bool, QString>> runs_;
};

// The current Wine's prepareInBackground(), as the main window calls it at start.
void prepareWineInBackground();

} // namespace nubivu
