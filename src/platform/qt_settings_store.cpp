// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt_settings_store.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QStringDecoder>
#include <QStringList>
#include <QStringTokenizer>
#include <QTemporaryDir>
#include <unistd.h>

namespace {
Q_LOGGING_CATEGORY(settingsLog, "sorteggina.settings", QtWarningMsg)

const QString kNotKept = QStringLiteral(" Le opzioni e la partita non saranno conservate.");

// Text made of [group] lines, key=value lines, comments and blank lines, and nothing else.
// QSettings itself takes almost anything, a stray line as a key.
bool readsAsSettings(const QString &fileName)
{
    QFile file(fileName);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    if (utf8.hasError() || bytes.contains('\0'))
        return false;
    for (QStringView line : QStringTokenizer(text, QLatin1Char('\n'))) {
        line = line.trimmed();
        if (!line.isEmpty() && !(line.startsWith(u'[') && line.endsWith(u']')) && !line.startsWith(u';') &&
            !line.startsWith(u'#') && !line.contains(u'='))
            return false;
    }
    return true;
}
} // namespace

QtSettingsStore::QtSettingsStore()
{
    // Without a home, Qt would make the folder at the root of the file system.
    if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME") && qEnvironmentVariableIsEmpty("HOME")) {
        refuse(QStringLiteral("neither HOME nor XDG_CONFIG_HOME is set: the settings are kept for this run only"),
            QStringLiteral("Nessuna cartella personale (HOME) per le impostazioni.") + kNotKept);
        return;
    }
    fileName_ = QSettings(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vellucario"), QStringLiteral("Vellucario"))
                    .fileName();
    open();
}

QtSettingsStore::QtSettingsStore(const QString &iniPath) : fileName_(iniPath) { open(); }

QtSettingsStore::~QtSettingsStore() = default;

void QtSettingsStore::open()
{
    const QFileInfo file(fileName_);
    if (file.isSymLink()) {
        // QSettings writes through a link, replacing whatever it points to.
        const QFileInfo target(file.symLinkTarget());
        if (!target.isFile() || target.ownerId() != geteuid()) {
            refuse(QStringLiteral("%1 links to %2, which is not a regular file of this user's: nothing is saved")
                       .arg(fileName_, target.filePath()),
                QStringLiteral("Il file delle impostazioni è un collegamento non sicuro.") + kNotKept);
            return;
        }
    } else if (file.exists() && !file.isFile()) {
        refuse(QStringLiteral("%1 is not a regular file: nothing is saved").arg(fileName_),
            QStringLiteral("Il file delle impostazioni non è un file normale.") + kNotKept);
        return;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        const qint64 size = QFileInfo(fileName_).size();
        if (size <= kMaxFileBytes && readsAsSettings(fileName_)) {
            settings_ = std::make_unique<QSettings>(fileName_, QSettings::IniFormat);
            return;
        }
        // Kept for whoever wants to look at it; the program starts afresh.
        const QString aside = fileName_ + QStringLiteral(".bad-") +
                              QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
        if (!QFile::rename(fileName_, aside))
            break;
        problem_ =
            size > kMaxFileBytes
                ? QStringLiteral("Il file delle impostazioni superava 1 MiB: messo da parte, si riparte da capo.")
                : QStringLiteral("Il file delle impostazioni era danneggiato: messo da parte, si riparte da capo.");
        qCWarning(settingsLog).noquote() << QStringLiteral("Warning: %1 was %2; moved aside to %3, starting afresh.")
                                                .arg(fileName_,
                                                    size > kMaxFileBytes ? QStringLiteral("over 1 MiB")
                                                                         : QStringLiteral("not readable as settings"),
                                                    aside);
    }
    refuse(QStringLiteral("%1 cannot be read as settings nor moved aside: nothing is saved").arg(fileName_),
        QStringLiteral("Il file delle impostazioni non si può usare.") + kNotKept);
}

void QtSettingsStore::refuse(const QString &english, const QString &italian)
{
    settings_.reset();
    problem_ = italian;
    qCWarning(settingsLog).noquote() << QStringLiteral("Warning: ") + english + QLatin1Char('.');
}

QString QtSettingsStore::read(const QString &path, const QString &defaultValue)
{
    if (const auto kept = kept_.constFind(path); kept != kept_.constEnd())
        return *kept;
    if (!settings_)
        return defaultValue;
    const QVariant value = settings_->value(path);
    if (!value.isValid())
        return defaultValue;
    // An unquoted value with commas, written by hand, comes back as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void QtSettingsStore::remove(const QString &path)
{
    kept_.remove(path);
    if (settings_) {
        settings_->remove(path);
        settings_->sync();
    }
}

// Whether the file, with these values written, stays within the size it is read at. Far from
// the limit a bound says so; near it the file is written aside and measured.
bool QtSettingsStore::fits(std::initializer_list<std::pair<QString, QString>> values) const
{
    qint64 bound = QFileInfo(fileName_).size();
    for (const auto &[path, value] : values)
        bound += 6 * (path.size() + value.size()) + 16; // an escaped character takes at most 6 bytes
    if (bound <= kMaxFileBytes)
        return true;
    QTemporaryDir dir;
    if (!dir.isValid())
        return false;
    {
        QSettings trial(dir.filePath(QStringLiteral("trial.conf")), QSettings::IniFormat);
        const QStringList keys = settings_->allKeys();
        for (const QString &key : keys)
            trial.setValue(key, settings_->value(key));
        for (const auto &[path, value] : values)
            trial.setValue(path, value);
    }
    return QFileInfo(dir.filePath(QStringLiteral("trial.conf"))).size() <= kMaxFileBytes;
}

void QtSettingsStore::warnWrite(const QString &english, const QString &italian)
{
    problem_ = italian;
    qCWarning(settingsLog).noquote() << QStringLiteral("Warning: ") + english;
    if (told_)
        told_(italian);
}

void QtSettingsStore::writeAll(std::initializer_list<std::pair<QString, QString>> values)
{
    if (!settings_ || !fits(values)) {
        for (const auto &[path, value] : values)
            kept_[path] = value;
        if (settings_ && !fullWarned_) {
            fullWarned_ = true;
            warnWrite(QStringLiteral("the settings file %1 would pass 1 MiB, the size it is read at; what is written "
                                     "from now on that does not fit is kept for this run only.")
                          .arg(fileName_),
                QStringLiteral("Il file delle impostazioni è arrivato a 1 MiB: le nuove modifiche valgono solo fino "
                               "alla chiusura; resta salvata l'ultima partita scritta."));
        }
        return;
    }
    for (const auto &[path, value] : values) {
        settings_->setValue(path, value);
        kept_.remove(path);
    }
    // A failed write stays pending in QSettings: the next one that succeeds (a disk no
    // longer full) writes it too.
    settings_->sync();
    if (writeWarned_ || (settings_->status() != QSettings::AccessError && settings_->isWritable()))
        return;
    writeWarned_ = true;
    warnWrite(QStringLiteral("the settings file %1 cannot be written; the options and the game in progress "
                             "will not be kept after the program ends.")
                  .arg(fileName_),
        QStringLiteral("Il file delle impostazioni non si può scrivere.") + kNotKept);
}
