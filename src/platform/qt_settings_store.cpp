// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt_settings_store.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QStringDecoder>
#include <QStringList>
#include <QStringTokenizer>
#include <QTemporaryDir>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

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

// A value as the store hands it out. An unquoted value with commas, written by hand, comes
// back from QSettings as a list.
QString asText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

using Values = QList<std::pair<QString, QString>>;

// Whether the file, with these values written, stays within the size it is read at. Far from
// the limit a bound says so; near it the file is written aside and measured. growth is what
// was set since the file was last synced.
bool fits(QSettings &settings, qint64 &growth, const Values &values)
{
    const qint64 size = QFileInfo(settings.fileName()).size();
    qint64 bound = size + growth;
    for (const auto &[path, value] : values)
        bound += 6 * (path.size() + value.size()) + 16; // an escaped character takes at most 6 bytes
    if (bound <= QtSettingsStore::kMaxFileBytes) {
        growth = bound - size;
        return true;
    }
    QTemporaryDir dir;
    if (!dir.isValid())
        return false;
    {
        QSettings trial(dir.filePath(QStringLiteral("trial.conf")), QSettings::IniFormat);
        const QStringList keys = settings.allKeys();
        for (const QString &key : keys)
            trial.setValue(key, settings.value(key));
        for (const auto &[path, value] : values)
            trial.setValue(path, value);
    }
    return QFileInfo(dir.filePath(QStringLiteral("trial.conf"))).size() <= QtSettingsStore::kMaxFileBytes;
}
} // namespace

// The one QSettings of the file, used on a thread of its own. What is posted is written in
// order; what is posted while a sync runs is written together at the next one.
class QtSettingsStore::Writer {
public:
    struct Change {
        Values values;
        bool remove = false; // the keys named are removed
    };
    // What went wrong since last asked.
    struct Troubles {
        bool unwritable = false, full = false;
    };

    explicit Writer(const QString &fileName) : thread_([this, fileName] { run(fileName); }) { }
    ~Writer()
    {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

    // The change's number, for wait().
    quint64 post(Change change)
    {
        quint64 number;
        {
            const std::lock_guard lock(mutex_);
            queue_.push_back(std::move(change));
            number = ++posted_;
        }
        wake_.notify_one();
        return number;
    }
    void wait(quint64 number)
    {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [&] { return written_ >= number; });
    }
    void waitAll()
    {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [&] { return written_ >= posted_; });
    }
    Troubles troubles()
    {
        const std::lock_guard lock(mutex_);
        return std::exchange(troubles_, {});
    }

private:
    void run(const QString &fileName)
    {
        QSettings settings(fileName, QSettings::IniFormat);
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
            if (queue_.empty())
                return;
            std::vector<Change> changes = std::move(queue_);
            queue_.clear();
            const quint64 upTo = posted_;
            lock.unlock();
            Troubles seen;
            qint64 growth = 0;
            for (const Change &change : changes) {
                if (change.remove) {
                    for (const auto &[path, value] : change.values)
                        settings.remove(path);
                } else if (fits(settings, growth, change.values)) {
                    for (const auto &[path, value] : change.values)
                        settings.setValue(path, value);
                } else {
                    seen.full = true; // kept in memory for the run
                }
            }
            // A failed write stays pending in QSettings: the next one that succeeds (a disk
            // no longer full) writes it too.
            settings.sync();
            // Nothing runs this thread's events: the update QSettings asks itself for is done.
            QCoreApplication::removePostedEvents(&settings, QEvent::UpdateRequest);
            seen.unwritable = settings.status() == QSettings::AccessError || !settings.isWritable();
            lock.lock();
            troubles_.unwritable |= seen.unwritable;
            troubles_.full |= seen.full;
            written_ = upTo;
            done_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::vector<Change> queue_;
    quint64 posted_ = 0, written_ = 0;
    bool stopping_ = false;
    Troubles troubles_;
    std::thread thread_; // last: started once the rest is made
};

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

QtSettingsStore::~QtSettingsStore() { flush(); }

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
            {
                const QSettings settings(fileName_, QSettings::IniFormat);
                const QStringList keys = settings.allKeys();
                for (const QString &key : keys)
                    values_.insert(key, asText(settings.value(key)));
            }
            writer_ = std::make_unique<Writer>(fileName_);
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
    writer_.reset();
    problem_ = italian;
    qCWarning(settingsLog).noquote() << QStringLiteral("Warning: ") + english + QLatin1Char('.');
}

QString QtSettingsStore::read(const QString &path, const QString &defaultValue)
{
    return values_.value(path, defaultValue);
}

void QtSettingsStore::remove(const QString &path)
{
    values_.remove(path);
    if (writer_) {
        writer_->wait(writer_->post({{{path, QString()}}, true}));
        tellTroubles();
    }
}

void QtSettingsStore::writeAll(std::initializer_list<std::pair<QString, QString>> values) { post(values, true); }

void QtSettingsStore::writeBehind(std::initializer_list<std::pair<QString, QString>> values) { post(values, false); }

void QtSettingsStore::flush()
{
    if (writer_) {
        writer_->waitAll();
        tellTroubles();
    }
}

void QtSettingsStore::post(std::initializer_list<std::pair<QString, QString>> values, bool wait)
{
    for (const auto &[path, value] : values)
        values_.insert(path, value);
    if (!writer_)
        return;
    const quint64 number = writer_->post({Values(values.begin(), values.end())});
    if (wait)
        writer_->wait(number);
    tellTroubles();
}

void QtSettingsStore::warnWrite(const QString &english, const QString &italian)
{
    problem_ = italian;
    qCWarning(settingsLog).noquote() << QStringLiteral("Warning: ") + english;
    if (told_)
        told_(italian);
}

void QtSettingsStore::tellTroubles()
{
    if (!writer_)
        return;
    const Writer::Troubles troubles = writer_->troubles();
    if (troubles.full && !fullWarned_) {
        fullWarned_ = true;
        warnWrite(QStringLiteral("the settings file %1 would pass 1 MiB, the size it is read at; what is written "
                                 "from now on that does not fit is kept for this run only.")
                      .arg(fileName_),
            QStringLiteral("Il file delle impostazioni è arrivato a 1 MiB: le nuove modifiche valgono solo fino "
                           "alla chiusura; resta salvata l'ultima partita scritta."));
    }
    if (troubles.unwritable && !writeWarned_) {
        writeWarned_ = true;
        warnWrite(QStringLiteral("the settings file %1 cannot be written; the options and the game in progress "
                                 "will not be kept after the program ends.")
                      .arg(fileName_),
            QStringLiteral("Il file delle impostazioni non si può scrivere.") + kNotKept);
    }
}
