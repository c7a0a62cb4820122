// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <sys/stat.h>

// A file written whole or not at all, to a new name or over a regular file of the user's own:
// the text goes to a new file beside the target, renamed over it on commit. It never writes
// through a symbolic link of another user's, nor to a device, folder or pipe.
class SafeSaveFile {
public:
    explicit SafeSaveFile(const QString &path);
    ~SafeSaveFile();
    SafeSaveFile(const SafeSaveFile &) = delete;
    SafeSaveFile &operator=(const SafeSaveFile &) = delete;

    // False, with the reason in error(), when the target may not be written.
    bool open();
    QIODevice *device() { return &file_; }
    bool commit();
    // In Italian, for the user.
    QString error() const { return error_; }

private:
    bool fail(const QString &why);
    bool resolve();

    QByteArray path_;
    int folder_ = -1; // the folder the target is in, however it was reached
    QByteArray name_;
    QByteArray temporaryName_;
    bool targetExists_ = false;
    struct stat target_ = {};
    QFile file_;
    QString error_;
};
