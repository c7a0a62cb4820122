// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "evening/evening_record.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <utility>

class QSqlError;
class QSqlQuery;

// The evenings, kept in an SQLite database in the data folder: every change to the evening
// in progress is one row, appended in a transaction of its own; nothing is ever rewritten.
// Every commit survives a killed program; a power cut may lose the last draws and take-backs
// (the settings' saved game still holds them), never a prize, a game's end or an evening.
// A file that cannot be used is named in problem(), the evening then goes on in memory and
// what could not be written is written with the next change that can be.
class EveningStore : public QObject {
    Q_OBJECT
public:
    static constexpr int kSchema = 1;
    inline static const QString kFileName = QStringLiteral("serate.sqlite");
    // $XDG_DATA_HOME/Vellucario (~/.local/share/Vellucario).
    static QString defaultFolder();

    explicit EveningStore(const QString &folder = defaultFolder(), QObject *parent = nullptr);
    ~EveningStore() override;

    QString fileName() const { return fileName_; }
    bool isOpen() const;
    // What went wrong with the file, for the caller to read; empty while all is well.
    QString problem() const { return problem_; }

    // The evening in progress, rebuilt from its rows (empty when there is none).
    evening::EveningRecord currentEvening();
    // The events in one transaction; an EveningStarted begins a new evening. False when they
    // could not be written now: they are kept and written first at the next call.
    bool append(const QList<evening::Event> &events);

    // The record older versions kept in the settings file, as an evening of its own: every
    // game of it that reads. A text that does not read whole is kept beside the database and
    // told in problem(). False when nothing could be written: the text is to be kept.
    bool importRecord(const QString &text);

    struct EveningSummary {
        qint64 id = 0;
        QDateTime started;
        evening::EveningRecord record;
    };
    // Every evening begun from `from` to `to` (either may be invalid: no bound), the oldest first.
    QList<EveningSummary> evenings(const QDate &from = {}, const QDate &to = {});

signals:
    void problemChanged(const QString &problem);

private:
    enum class Refusal { None, Retry, Never };
    enum class Schema { Ready, Failed, Foreign };
    void open();
    void closeDatabase();
    std::pair<QString, int> check();
    Schema prepareSchema();
    void clearProblem();
    bool moveAside(const QString &why);
    void setProblem(const QString &problem);
    bool writePending();
    QSqlError setSynchronous(const char *level);
    QString failure(const QString &what, const QString &error, int code);
    evening::EveningRecord replay(qint64 evening);

    QString folder_, fileName_, connection_, problem_;
    Refusal refusal_ = Refusal::Retry;
    bool lasting_ = false;
    qint64 evening_ = 0;
    QList<evening::Event> pending_;
    // Prepared once per connection: a draw only binds and runs them.
    std::unique_ptr<QSqlQuery> insertEvening_, insertEvent_;
};
