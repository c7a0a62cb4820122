// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

// One copy of the program per user. The first copy holds a lock in the user's runtime
// folder for its whole life and listens on a local socket beside it; a later start finds
// the lock taken, asks the running copy to come forward and ends. A lock left by a copy
// that was killed names a process that no longer runs, and is taken over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QObject *parent = nullptr);

    // True when this is the only copy; false when another runs (it has been asked to show).
    bool claim();

signals:
    void showRequested();

private:
    QString socketPath_;
    QLockFile lock_;
    QLocalServer server_;
};
