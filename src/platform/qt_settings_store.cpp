#include "platform/qt_settings_store.h"

#include <QLoggingCategory>
#include <QSettings>
#include <QStringList>

namespace {
Q_LOGGING_CATEGORY(settingsLog, "sorteggina.settings", QtWarningMsg)

const QString group = QStringLiteral("Settaggio");

QString pathOf(const QString &key)
{
    return group + QLatin1Char('/') + key;
}
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

QString QtSettingsStore::read(const QString &key, const QString &defaultValue)
{
    const QVariant value = settings_->value(pathOf(key));
    if (!value.isValid())
        return defaultValue;
    // An unquoted value with commas, written by hand, comes back as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void QtSettingsStore::write(const QString &key, const QString &value)
{
    settings_->setValue(pathOf(key), value);
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
