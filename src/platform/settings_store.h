// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <initializer_list>
#include <utility>

// The per-user store of the options and the game in progress: text values under
// "Group/Key" paths. A write reaches the disk before it returns, one written behind soon after.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or defaultValue when the key was never written.
    virtual QString read(const QString &path, const QString &defaultValue) = 0;
    virtual void write(const QString &path, const QString &value) { writeAll({{path, value}}); }
    // A key no longer kept; a store that cannot remove keys empties it.
    virtual void remove(const QString &path) { write(path, {}); }
    // Several values reaching the disk together.
    virtual void writeAll(std::initializer_list<std::pair<QString, QString>> values) = 0;
    // Values that may reach the disk a moment after this returns (the game in progress, at
    // every draw), though before any later write or removal does. Reads see them at once.
    virtual void writeBehind(std::initializer_list<std::pair<QString, QString>> values) { writeAll(values); }
};
