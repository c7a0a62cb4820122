// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/safe_save_file.h"

#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kFolder = QStringLiteral("è una cartella");
const QString kNotAFile = QStringLiteral("non è un file normale");
const QString kOthersLink = QStringLiteral("è un collegamento simbolico di un altro utente");
const QString kOthersFile = QStringLiteral("è un file di un altro utente");
const QString kTooManyLinks = QStringLiteral("troppi collegamenti simbolici");
const QString kChangedMeanwhile = QStringLiteral("è stato cambiato durante la scrittura");
constexpr int kMaxLinks = 40;

QString systemError() { return qt_error_string(errno); }

// The parts of a path before `rest`, so that a link's target is walked before what followed it.
void prependParts(const QByteArray &path, std::deque<QByteArray> &rest)
{
    const QList<QByteArray> parts = path.split('/');
    for (auto part = parts.crbegin(); part != parts.crend(); ++part)
        if (!part->isEmpty() && *part != ".")
            rest.push_front(*part);
}

} // namespace

SafeSaveFile::SafeSaveFile(const QString &path) : path_(QFile::encodeName(path)) { }

SafeSaveFile::~SafeSaveFile()
{
    if (!temporaryName_.isEmpty())
        ::unlinkat(folder_, temporaryName_.constData(), 0);
    if (folder_ >= 0)
        ::close(folder_);
}

bool SafeSaveFile::fail(const QString &why)
{
    error_ = why;
    return false;
}

// Walks the path one name at a time. A link is followed as the kernel's protected_symlinks
// would allow (not one of another user's in a sticky, world-writable folder); the target's
// own name, when a link, only if it is the user's.
bool SafeSaveFile::resolve()
{
    if (path_.isEmpty() || path_.endsWith('/'))
        return fail(kFolder);
    std::deque<QByteArray> rest;
    prependParts(path_, rest);
    folder_ = ::open(path_.startsWith('/') ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (int links = 0; !rest.empty();) {
        const QByteArray part = rest.front();
        rest.pop_front();
        const bool last = rest.empty();
        struct stat found;
        if (folder_ < 0)
            return fail(systemError());
        if (::fstatat(folder_, part.constData(), &found, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT || !last)
                return fail(systemError());
            name_ = part;
            return true;
        }
        if (S_ISLNK(found.st_mode)) {
            struct stat folder;
            if (::fstat(folder_, &folder) != 0)
                return fail(systemError());
            const bool own = found.st_uid == ::geteuid();
            const bool guarded =
                (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH) && folder.st_uid != found.st_uid;
            if (!own && (last || guarded))
                return fail(kOthersLink);
            if (++links > kMaxLinks)
                return fail(kTooManyLinks);
            QByteArray target(PATH_MAX, '\0');
            const ssize_t size = ::readlinkat(folder_, part.constData(), target.data(), target.size());
            if (size <= 0)
                return fail(systemError());
            target.truncate(size);
            if (last && (target.endsWith('/') || target.endsWith("/.") || target.endsWith("/..") || target == "." ||
                            target == ".."))
                return fail(kFolder);
            prependParts(target, rest);
            if (target.startsWith('/')) {
                ::close(folder_);
                folder_ = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
            }
            continue;
        }
        if (last) {
            if (S_ISDIR(found.st_mode))
                return fail(kFolder);
            if (!S_ISREG(found.st_mode))
                return fail(kNotAFile);
            if (found.st_uid != ::geteuid())
                return fail(kOthersFile);
            name_ = part;
            targetExists_ = true;
            target_ = found;
            return true;
        }
        const int next = ::openat(folder_, part.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(folder_);
        folder_ = next;
    }
    return fail(kFolder); // only "." and ".." parts: a folder
}

bool SafeSaveFile::open()
{
    if (!resolve())
        return false;
    // Created, never opened: a name someone else made meanwhile is skipped.
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporaryName_ = '.' + name_.left(200) + '.' + QByteArray::number(QRandomGenerator::system()->generate(), 36);
        fd = ::openat(folder_, temporaryName_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        temporaryName_.clear();
        return fail(systemError());
    }
    if (targetExists_)
        ::fchmod(fd, target_.st_mode & 07777);
    return file_.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle) || fail(file_.errorString());
}

bool SafeSaveFile::commit()
{
    if (!file_.isOpen())
        return fail(error_);
    if (!file_.flush() || file_.error() != QFileDevice::NoError)
        return fail(file_.errorString());
    if (::fsync(file_.handle()) != 0)
        return fail(systemError());
    file_.close();
    // Replaced only if still the file checked; a name that was free is never taken from another.
    struct stat now;
    int renamed;
    if (targetExists_) {
        if (::fstatat(folder_, name_.constData(), &now, AT_SYMLINK_NOFOLLOW) != 0 || now.st_ino != target_.st_ino ||
            now.st_dev != target_.st_dev)
            return fail(kChangedMeanwhile);
        renamed = ::renameat(folder_, temporaryName_.constData(), folder_, name_.constData());
    } else {
        renamed = ::renameat2(folder_, temporaryName_.constData(), folder_, name_.constData(), RENAME_NOREPLACE);
        if (renamed != 0 && errno == EINVAL) { // a file system without it
            renamed = ::linkat(folder_, temporaryName_.constData(), folder_, name_.constData(), 0);
            if (renamed == 0)
                ::unlinkat(folder_, temporaryName_.constData(), 0);
        }
        if (renamed != 0 && errno == EEXIST)
            return fail(kChangedMeanwhile);
    }
    if (renamed != 0)
        return fail(systemError());
    temporaryName_.clear();
    return true;
}
