// SPDX-License-Identifier: MIT
#pragma once
// The File menu's last lessons opened or saved, newest first, kept in the
// program's own settings file so that they are there again at the next start.
#include <QObject>
#include <QStringList>

class QMenu;

namespace nubivu {

class Prompter;

class RecentFiles : public QObject {
    Q_OBJECT
public:
    static constexpr int Capacity = 5;

    // Fills menu (a submenu of its own) with the remembered files; a picked
    // file that has gone is reported through prompter.
    RecentFiles(QMenu* menu, Prompter& prompter, QObject* parent);

    QStringList files() const { return files_; }
    // Puts path first, dropping an older entry for it and the oldest beyond Capacity.
    void add(const QString& path);
    void remove(const QString& path);

Q_SIGNALS:
    // A remembered file that still exists was picked.
    void picked(const QString& path);

private:
    void pick(const QString& path);
    void save() const;
    void rebuild();

    QMenu* menu_;
    Prompter& prompter_;
    QStringList files_;
};

} // namespace nubivu
