#include "platform/qt_settings_store.h"

#include <QLoggingCategory>
#include <QSettings>
#include <QStringList>

namespace {
Q_LOGGING_CATEGORY(settingsLog, "sorteggina.settings", QtWarningMsg)
} // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("Vellucario"),
                                            QStringLiteral("Vellucario")))
{
}

QtSettingsStore::QtSettingsStore(const QString &iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

QtSettingsStore::~QtSettingsStore() = default;

QString QtSettingsStore::read(const QString &path, const QString &defaultValue)
{
    const QVariant value = settings_->value(path);
    if (!value.isValid())
        return defaultValue;
    // An unquoted value with commas, written by hand, comes back as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void QtSettingsStore::writeAll(std::initializer_list<std::pair<QString, QString>> values)
{
    for (const auto &[path, value] : values)
        settings_->setValue(path, value);
    settings_->sync();
    // Not "!= NoError": a garbage line read at the start leaves FormatError behind, harmlessly.
    if (warned_ || (settings_->status() != QSettings::AccessError && settings_->isWritable()))
        return;
    warned_ = true;
    qCWarning(settingsLog).noquote()
        << QStringLiteral("Warning: the settings file %1 cannot be written; the options and "
                          "the game in progress will not be kept after the program ends.")
               .arg(settings_->fileName());
}

QString QtSettingsStore::fileName() const
{
    return settings_->fileName();
}
