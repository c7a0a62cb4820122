#pragma once

#include <QString>

// The per-user store of the options and the saved draw: text values under one
// application and the section "Settaggio". A write reaches the disk before it returns.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or defaultValue when the key was never written.
    virtual QString read(const QString &key, const QString &defaultValue) = 0;
    virtual void write(const QString &key, const QString &value) = 0;
};
