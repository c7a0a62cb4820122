#pragma once

#include "platform/settings_store.h"

#include <QString>
#include <memory>

class QSettings;

// The settings store kept by QSettings under organisation and application "Vellucario"
// (on Linux $XDG_CONFIG_HOME/Vellucario/Vellucario.conf).
class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore();
    // An INI file of one's own choosing, for tests.
    explicit QtSettingsStore(const QString &iniPath);
    ~QtSettingsStore() override;

    QString read(const QString &path, const QString &defaultValue) override;
    // Written to the disk before it returns; a store that cannot be written warns once on
    // standard error and keeps the values for this run only.
    void writeAll(std::initializer_list<std::pair<QString, QString>> values) override;

    // The file behind the store.
    QString fileName() const;

private:
    std::unique_ptr<QSettings> settings_;
    bool warned_ = false;
};
