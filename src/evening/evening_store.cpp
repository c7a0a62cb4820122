// SPDX-License-Identifier: GPL-3.0-or-later
#include "evening/evening_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>
#include <algorithm>

using namespace evening;

namespace {

Q_LOGGING_CATEGORY(storeLog, "sorteggina.evenings")

// Tells this program's database from any other SQLite file ("Sera").
constexpr int kApplicationId = 0x53657261;
// Events beyond these are not kept waiting for a disk that stays full, nor read back.
constexpr qsizetype kMaxPending = 100'000;
constexpr int kMaxRows = 500'000;
const QString kNone = QStringLiteral("");
const QByteArray kSqliteHeader("SQLite format 3\0", 16);

// SQLite's primary result codes the program answers.
enum SqliteCode {
    kBusy = 5,
    kLocked = 6,
    kReadOnly = 8,
    kIoError = 10,
    kCorrupt = 11,
    kFull = 13,
    kCantOpen = 14,
    kNotADatabase = 26
};

const QString kGoesOn = QStringLiteral(" La partita si salva comunque nelle impostazioni.");
const QString kDamaged = QStringLiteral(
    "Il database delle serate %1 era danneggiato (%2): messo da parte come %3, si riparte da uno nuovo.");
const QString kForeign =
    QStringLiteral("Il file %1 non è un database delle serate: messo da parte come %2, si riparte da uno nuovo.");
const QString kNotMoved =
    QStringLiteral("Il database delle serate %1 è danneggiato (%2) e non si può mettere da parte: le serate non si "
                   "salvano.");
const QString kNewer = QStringLiteral("Il database delle serate %1 è di una versione più recente del programma: non "
                                      "viene toccato e le serate non si salvano.");
const QString kBusyText = QStringLiteral("Il database delle serate %1 è in uso da un'altra copia del programma: la "
                                         "serata si salverà appena sarà libero.");
const QString kFullText = QStringLiteral(
    "Disco pieno: il database delle serate %1 non si può scrivere; la serata si salverà appena ci sarà posto.");
const QString kReadOnlyText =
    QStringLiteral("Il database delle serate %1 non si può scrivere (cartella o file di sola lettura).");
const QString kPartlyImported =
    QStringLiteral("Il registro della serata nelle impostazioni non si leggeva tutto: "
                   "importate le %1 partite leggibili; il testo intero è conservato in %2.");
const QString kFailedText = QStringLiteral("Il database delle serate %1 non si può usare (%2).");

int codeOf(const QSqlError &error) { return error.nativeErrorCode().toInt() & 0xff; }

} // namespace

QString EveningStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Vellucario");
}

EveningStore::EveningStore(const QString &folder, QObject *parent)
    : QObject(parent), folder_(folder), fileName_(QDir(folder).filePath(kFileName)),
      connection_(QStringLiteral("serate-%1").arg(quintptr(this)))
{
    open();
}

EveningStore::~EveningStore() { closeDatabase(); }

bool EveningStore::isOpen() const
{
    return refusal_ == Refusal::None && QSqlDatabase::database(connection_, false).isOpen();
}

// A file moved aside stays told until the program ends; a write that failed, until one works.
void EveningStore::clearProblem()
{
    if (!lasting_)
        setProblem({});
}

void EveningStore::setProblem(const QString &problem)
{
    if (problem == problem_)
        return;
    problem_ = problem;
    if (!problem.isEmpty())
        qCWarning(storeLog).noquote() << problem;
    emit problemChanged(problem);
}

QString EveningStore::failure(const QString &what, const QString &error, int code)
{
    switch (code) {
    case kBusy:
    case kLocked: return kBusyText.arg(fileName_);
    case kFull: return kFullText.arg(fileName_) + kGoesOn;
    case kReadOnly:
    case kCantOpen: return kReadOnlyText.arg(fileName_) + kGoesOn;
    default: return kFailedText.arg(fileName_, what + QStringLiteral(": ") + error) + kGoesOn;
    }
}

// Kept for whoever wants to look at it, with its journal: never emptied.
bool EveningStore::moveAside(const QString &why)
{
    closeDatabase();
    const QString aside =
        fileName_ + QStringLiteral(".bad-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    if (!QFile::rename(fileName_, aside)) {
        setProblem(
            kNotMoved.arg(fileName_, why.isEmpty() ? QStringLiteral("non è un database delle serate") : why) + kGoesOn);
        refusal_ = Refusal::Never;
        return false;
    }
    for (const QString &journal : {QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")})
        if (QFile::exists(fileName_ + journal))
            QFile::rename(fileName_ + journal, aside + journal);
    setProblem(why.isEmpty() ? kForeign.arg(fileName_, aside) : kDamaged.arg(fileName_, why, aside));
    lasting_ = true;
    return true;
}

void EveningStore::closeDatabase()
{
    insertEvening_.reset();
    insertEvent_.reset();
    if (QSqlDatabase::contains(connection_)) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }
}

// The file's own check, "ok" when it reads whole; the SQLite error's code when it cannot be read.
std::pair<QString, int> EveningStore::check()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.setDatabaseName(fileName_);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=200"));
    if (!db.open())
        return {db.lastError().text(), codeOf(db.lastError())};
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next())
        return {query.lastError().text(), codeOf(query.lastError())};
    return {query.value(0).toString().left(200), 0};
}

void EveningStore::open()
{
    closeDatabase();
    if (!QDir().mkpath(folder_) || !QFileInfo(folder_).isDir()) {
        setProblem(kReadOnlyText.arg(fileName_) + kGoesOn);
        return;
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QFileInfo info(fileName_);
        if (info.exists() && !info.isFile()) {
            setProblem(kFailedText.arg(fileName_, QStringLiteral("non è un file")) + kGoesOn);
            refusal_ = Refusal::Never;
            return;
        }
        QFile file(fileName_);
        const bool foreign = info.size() > 0 && file.open(QIODevice::ReadOnly) && file.read(16) != kSqliteHeader;
        file.close();
        if (foreign) {
            if (!moveAside({}))
                return;
            continue;
        }
        const auto [verdict, code] = check();
        if (code == 0 && verdict == QLatin1String("ok")) {
            switch (prepareSchema()) {
            case Schema::Ready: refusal_ = Refusal::None; return;
            case Schema::Failed: return;
            case Schema::Foreign:
                if (!moveAside({}))
                    return;
                continue;
            }
        }
        if (code != 0 && code != kCorrupt && code != kNotADatabase) {
            setProblem(failure(QStringLiteral("apertura"), verdict, code));
            return;
        }
        if (!moveAside(verdict))
            return;
    }
}

EveningStore::Schema EveningStore::prepareSchema()
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery query(db);
    const auto pragma = [&](const QString &name) {
        return query.exec(QStringLiteral("PRAGMA ") + name) && query.next() ? query.value(0).toLongLong() : -1;
    };
    const qint64 application = pragma(QStringLiteral("application_id"));
    const qint64 version = pragma(QStringLiteral("user_version"));
    const qint64 tables = query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) && query.next()
                              ? query.value(0).toLongLong()
                              : -1;
    if (application < 0 || version < 0 || tables < 0) {
        setProblem(failure(QStringLiteral("lettura"), query.lastError().text(), codeOf(query.lastError())));
        return Schema::Failed;
    }
    if (application != kApplicationId && tables > 0)
        return Schema::Foreign;
    if (version > kSchema) {
        setProblem(kNewer.arg(fileName_) + kGoesOn);
        refusal_ = Refusal::Never;
        return Schema::Failed;
    }
    // Write-ahead logging: a killed program leaves the rows committed and nothing half
    // written. A draw's commit is not synced (NORMAL); those that hold more are (see append).
    const QStringList statements{
        QStringLiteral("PRAGMA journal_mode=WAL"),
        QStringLiteral("PRAGMA synchronous=NORMAL"),
        QStringLiteral("PRAGMA foreign_keys=ON"),
    };
    const QStringList schema{
        QStringLiteral("CREATE TABLE evenings (id INTEGER PRIMARY KEY, started TEXT NOT NULL)"),
        QStringLiteral("CREATE TABLE events (id INTEGER PRIMARY KEY, evening INTEGER NOT NULL REFERENCES evenings(id),"
                       " at TEXT NOT NULL, kind INTEGER NOT NULL, game INTEGER NOT NULL, winner INTEGER NOT NULL,"
                       " number INTEGER NOT NULL, prize INTEGER NOT NULL, count_out INTEGER NOT NULL,"
                       " name TEXT NOT NULL, code TEXT NOT NULL)"),
        QStringLiteral("CREATE INDEX events_of_evening ON events (evening, id)"),
        QStringLiteral("PRAGMA application_id=%1").arg(kApplicationId),
        QStringLiteral("PRAGMA user_version=%1").arg(kSchema),
    };
    for (const QString &statement : statements)
        if (!query.exec(statement)) {
            setProblem(failure(QStringLiteral("impostazione"), query.lastError().text(), codeOf(query.lastError())));
            return Schema::Failed;
        }
    if (version == 0) {
        db.transaction();
        for (const QString &statement : schema)
            if (!query.exec(statement)) {
                const QSqlError error = query.lastError();
                db.rollback();
                setProblem(failure(QStringLiteral("creazione"), error.text(), codeOf(error)));
                return Schema::Failed;
            }
        if (!db.commit()) {
            setProblem(failure(QStringLiteral("creazione"), db.lastError().text(), codeOf(db.lastError())));
            return Schema::Failed;
        }
    }
    evening_ =
        query.exec(QStringLiteral("SELECT max(id) FROM evenings")) && query.next() ? query.value(0).toLongLong() : 0;
    insertEvening_ = std::make_unique<QSqlQuery>(db);
    insertEvent_ = std::make_unique<QSqlQuery>(db);
    if (!insertEvening_->prepare(QStringLiteral("INSERT INTO evenings (started) VALUES (?)")) ||
        !insertEvent_->prepare(QStringLiteral("INSERT INTO events (evening, at, kind, game, winner, number, prize,"
                                              " count_out, name, code) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"))) {
        const QSqlError error =
            insertEvening_->lastError().isValid() ? insertEvening_->lastError() : insertEvent_->lastError();
        setProblem(failure(QStringLiteral("preparazione"), error.text(), codeOf(error)));
        return Schema::Failed;
    }
    clearProblem();
    return Schema::Ready;
}

bool EveningStore::importRecord(const QString &text)
{
    const auto [record, whole] = EveningRecord::parsePartly(text);
    QList<Event> events{{.kind = Event::EveningStarted,
        .at = record.games.isEmpty() ? QDateTime::currentDateTime() : record.games.first().start}};
    int games = 0;
    bool replayed = true;
    // Only a game that the events rebuild as it was is taken.
    for (const RecordedGame &game : record.games) {
        EveningRecord one;
        const QList<Event> its = eventsOf(EveningRecord{{game}});
        if (std::ranges::all_of(its, [&](const Event &e) { return apply(one, e); }) && one.games == QList{game}) {
            events << its;
            ++games;
        } else {
            replayed = false;
        }
    }
    QString aside;
    if (!whole || !replayed) {
        aside = QDir(folder_).filePath(
            QStringLiteral("Registro.bad-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss")));
        QFile file(aside);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || file.write(text.toUtf8()) < 0 || !file.flush())
            return false;
    }
    if (!append(events))
        return false;
    if (!aside.isEmpty()) {
        setProblem(kPartlyImported.arg(games).arg(aside));
        lasting_ = true;
    }
    return true;
}

EveningRecord EveningStore::replay(qint64 evening)
{
    EveningRecord record;
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT kind, at, game, winner, number, prize, count_out, name, code FROM events"
                                 " WHERE evening = ? ORDER BY id LIMIT %1")
                      .arg(kMaxRows));
    query.addBindValue(evening);
    if (!query.exec())
        return record;
    int refused = 0;
    while (query.next()) {
        const int kind = query.value(0).toInt();
        Event event{Event::Kind(kind), QDateTime::fromString(query.value(1).toString(), Qt::ISODateWithMs),
            query.value(2).toInt(), query.value(3).toInt(), query.value(4).toInt(), query.value(5).toInt(),
            query.value(6).toInt(), query.value(7).toString(), query.value(8).toString()};
        // A row that does not fit the evening (written by hand, say) is left out.
        if (kind <= Event::EveningStarted || kind > Event::WinnerNamed || !apply(record, event))
            ++refused;
    }
    if (refused > 0)
        qCWarning(storeLog).noquote() << QStringLiteral("%1: %2 rows of evening %3 left out, not understood")
                                             .arg(fileName_)
                                             .arg(refused)
                                             .arg(evening);
    return record;
}

EveningRecord EveningStore::currentEvening() { return isOpen() && evening_ > 0 ? replay(evening_) : EveningRecord{}; }

bool EveningStore::append(const QList<Event> &events)
{
    pending_ << events;
    if (pending_.size() > kMaxPending)
        pending_.remove(0, pending_.size() - kMaxPending);
    if (refusal_ == Refusal::Retry)
        open();
    return isOpen() && writePending();
}

QSqlError EveningStore::setSynchronous(const char *level)
{
    QSqlQuery pragma(QSqlDatabase::database(connection_, false));
    return pragma.exec(QStringLiteral("PRAGMA synchronous=") + QLatin1String(level)) ? QSqlError() : pragma.lastError();
}

bool EveningStore::writePending()
{
    if (pending_.isEmpty())
        return true;
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    const qint64 eveningBefore = evening_;
    // What no saved game holds (a prize, a game's end, an evening) is synced with its commit,
    // and with it every draw before it; draws and take-backs alone are not.
    const bool lasting = std::ranges::any_of(pending_, [](const Event &e) {
        return e.kind != Event::NumberDrawn && e.kind != Event::NumberTakenBack && e.kind != Event::PrizeTakenBack;
    });
    const auto fail = [&](const QSqlError &error) {
        db.rollback();
        if (lasting)
            setSynchronous("NORMAL");
        evening_ = eveningBefore;
        setProblem(failure(QStringLiteral("scrittura"), error.text(), codeOf(error)));
        return false;
    };
    if (const QSqlError error = lasting ? setSynchronous("FULL") : QSqlError(); error.isValid())
        return fail(error);
    if (!db.transaction())
        return fail(db.lastError());
    QSqlQuery &evening = *insertEvening_, &row = *insertEvent_;
    for (const Event &event : std::as_const(pending_)) {
        const QString at = event.at.toString(Qt::ISODateWithMs);
        if (event.kind == Event::EveningStarted || evening_ == 0) {
            evening.bindValue(0, at);
            if (!evening.exec())
                return fail(evening.lastError());
            evening_ = evening.lastInsertId().toLongLong();
            if (event.kind == Event::EveningStarted)
                continue;
        }
        const QVariant values[] = {QVariant(evening_), QVariant(at), QVariant(int(event.kind)), QVariant(event.game),
            QVariant(event.winner), QVariant(event.number), QVariant(event.prize), QVariant(event.countOut),
            QVariant(event.name.isNull() ? kNone : event.name), QVariant(event.code.isNull() ? kNone : event.code)};
        for (int i = 0; i < int(std::size(values)); ++i)
            row.bindValue(i, values[i]);
        if (!row.exec())
            return fail(row.lastError());
    }
    if (!db.commit())
        return fail(db.lastError());
    if (lasting)
        setSynchronous("NORMAL");
    pending_.clear();
    clearProblem();
    return true;
}

QList<EveningStore::EveningSummary> EveningStore::evenings(const QDate &from, const QDate &to)
{
    QList<EveningSummary> found;
    if (!isOpen())
        return found;
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    if (!query.exec(QStringLiteral("SELECT id, started FROM evenings ORDER BY id")))
        return found;
    while (query.next()) {
        const QDateTime started = QDateTime::fromString(query.value(1).toString(), Qt::ISODateWithMs);
        if ((from.isValid() && started.date() < from) || (to.isValid() && started.date() > to))
            continue;
        found << EveningSummary{query.value(0).toLongLong(), started, {}};
    }
    for (EveningSummary &summary : found)
        summary.record = replay(summary.id);
    return found;
}
