// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/settings_store.h"

#include <QMap>
#include <QString>
#include <functional>
#include <memory>

// The settings store kept by QSettings under organisation and application "Vellucario"
// (on Linux $XDG_CONFIG_HOME/Vellucario/Vellucario.conf). The file is only written where
// that is safe: a file too large or not readable as settings is moved aside at the start,
// and a file that is a link to anything but a regular file of the user's own, or no home
// folder at all, leaves the store in memory for the run. The file is never written past the
// size it would be refused at: such a write is kept in memory for the run and the file keeps
// what it had, the game last saved in it among that. Each trouble is warned of once.
// The file is written by a thread of its own; reads are answered from memory, so that a
// draw never waits for the disk nor for the lock QSettings holds while it writes.
class QtSettingsStore : public SettingsStore {
public:
    static constexpr qint64 kMaxFileBytes = 1 << 20;

    QtSettingsStore();
    // An INI file of one's own choosing, for tests.
    explicit QtSettingsStore(const QString &iniPath);
    ~QtSettingsStore() override;

    QString read(const QString &path, const QString &defaultValue) override;
    // Written to the disk before it returns. A store that cannot be written keeps the values
    // for this run, warning once.
    void writeAll(std::initializer_list<std::pair<QString, QString>> values) override;
    void remove(const QString &path) override;
    // Handed to the writer's thread; the latest values of these keys are on the disk a moment
    // later, and before any later write, removal or the store's end.
    void writeBehind(std::initializer_list<std::pair<QString, QString>> values) override;
    // Returns once everything written behind is on the disk.
    void flush();

    QString fileName() const { return fileName_; }
    // What went wrong with the file, in Italian for the window; empty when nothing did.
    QString problem() const { return problem_; }
    // Told of a trouble met while writing, once each.
    void onProblem(std::function<void(const QString &)> told) { told_ = std::move(told); }

private:
    void open();
    void refuse(const QString &english, const QString &italian);
    void post(std::initializer_list<std::pair<QString, QString>> values, bool wait);
    void tellTroubles();
    void warnWrite(const QString &english, const QString &italian);

    class Writer;
    QString fileName_;
    std::unique_ptr<Writer> writer_; // none when the file must not be written
    QMap<QString, QString> values_; // everything the store holds, read from the file at the start
    QString problem_;
    std::function<void(const QString &)> told_;
    bool writeWarned_ = false;
    bool fullWarned_ = false;
};
