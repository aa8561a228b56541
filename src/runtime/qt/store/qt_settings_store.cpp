// SPDX-License-Identifier: MIT
#include "runtime/qt/store/qt_settings_store.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "runtime/posix/config_home.h"
#include "runtime/posix/durable_files.h"
#include "runtime/posix/regular_file.h"
#include "runtime/qt/common/qt_text.h"
#include "runtime/qt/store/store_file_check.h"

namespace quorvel::runtime::qt {

namespace {

using namespace std::chrono_literals;

// Never longer than this in the event loop for a lock another copy holds.
constexpr std::chrono::milliseconds kLockWait = 1800ms;
constexpr std::chrono::milliseconds kLockRetry = 50ms;
// QLockFile removes a lock file only when no process holds it open and locked (flock), so a
// short stale time cannot take the lock from a live copy; it only lets a lock file that was
// left empty (a copy killed while making it) be judged stale soon instead of after 30 s.
constexpr std::chrono::milliseconds kStaleAfter = 1000ms;

QString readValue(QSettings& settings, const QString& key, bool* found) {
    const QVariant value = settings.value(key);
    *found = value.isValid();
    // An unquoted value with commas, written by hand, reads back as a list.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", "));
    }
    return value.toString();
}

QString withReason(const QString& what, const std::string& reason) {
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(reason.c_str());
}

std::string nativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.flush();
}

// The file of the application in the user's configuration folder; empty when there is none.
QString storeFile(const std::string& application) {
    const std::string folder = posix::userConfigHome();
    if (folder.empty()) {
        return {};
    }
    return QFile::decodeName(folder.c_str()) + QStringLiteral("/Quorvel/") + toQt(application) +
           QStringLiteral(".ini");
}

// The store's lock, waited for at most kLockWait and only while nobody asks to give up.
QString takeLock(QLockFile& lock, const std::function<bool()>& giveUp) {
    const QString path = lock.fileName();
    // QLockFile reads a lock file it finds, and a FIFO there would block it for ever.
    if (const std::string odd = posix::notARegularFile(nativePath(path)); !odd.empty()) {
        return withReason(path, odd);
    }
    lock.setStaleLockTime(kStaleAfter);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        errno = 0;
        if (lock.tryLock(0)) {
            return {};
        }
        const int error = errno;
        if (lock.error() == QLockFile::PermissionError) {
            return withReason(path, std::strerror(EACCES));
        }
        if (lock.error() != QLockFile::LockFailedError) {
            // QLockFile gives no reason of its own; errno still holds the failed call's.
            return withReason(path, error != 0 ? std::strerror(error) : "cannot be written");
        }
        if (giveUp && giveUp()) {
            return path + QStringLiteral(": held by another copy while the program is ending");
        }
        if (waited.elapsed() >= kLockWait.count()) {
            break;
        }
        QThread::msleep(static_cast<unsigned long>(kLockRetry.count()));
    }
    qint64 pid = 0;
    QString host;
    QString program;
    if (lock.getLockInfo(&pid, &host, &program)) {
        return QStringLiteral("%1: held by process %2 (%3 on %4) for more than %5 ms")
            .arg(path)
            .arg(pid)
            .arg(program, host)
            .arg(kLockWait.count());
    }
    return QStringLiteral("%1: held by another program for more than %2 ms")
        .arg(path)
        .arg(kLockWait.count());
}

// The store's text, or why it cannot be read; nothing there (also behind a dangling link) is
// an empty store.
QString readStore(const QString& path, QByteArray* content) {
    posix::FileReading reading =
        posix::readRegularFile(nativePath(path), QtSettingsStore::kMaxStoreBytes);
    if (reading.outcome == posix::FileReading::Outcome::Refused) {
        return withReason(path, reading.reason);
    }
    *content = QByteArray::fromStdString(reading.content);
    return {};
}

// The file a write to `path` ends in: through links, also a dangling one, as QSaveFile goes.
QString finalFileOf(const QString& path) {
    QFileInfo info(path);
    for (int depth = 0; depth < 128 && info.isSymLink(); ++depth) {
        info.setFile(info.symLinkTarget());
    }
    return info.absoluteFilePath();
}

QString tooLarge(const QString& path, qsizetype bytes) {
    return QStringLiteral(
               "%1: the bookmarks would take %2 bytes, more than the %3 a store may hold")
        .arg(path)
        .arg(bytes)
        .arg(QtSettingsStore::kMaxStoreBytes);
}

// This copy's entries over the text as it is now: an entry in `changed`, or one the text holds
// no value for, is written as given; any other keeps the text's value. QSettings does the
// writing, on a scratch copy; the new text is read back afresh before it counts.
struct Merge {
    QByteArray text;
    SettingsEntries stored;
    QString failure;
};

Merge merge(const QString& path, const QByteArray& current, const QString& group,
            const SettingsEntries& entries, const std::vector<std::string>& changed) {
    Merge result;
    const QTemporaryDir scratch;
    const QString draft = scratch.filePath(QStringLiteral("draft.ini"));
    const QString check = scratch.filePath(QStringLiteral("check.ini"));
    if (!scratch.isValid() || !writeFile(draft, current)) {
        result.failure = scratch.path() + QStringLiteral(": no scratch file for the new text");
        return result;
    }
    {
        QSettings merged(draft, QSettings::IniFormat);
        for (const auto& [key, value] : entries) {
            const QString name = group + toQt(key);
            if (!merged.contains(name) ||
                std::find(changed.begin(), changed.end(), key) != changed.end()) {
                merged.setValue(name, toQt(value));
            }
            bool found = false;
            result.stored.emplace_back(key, fromQt(readValue(merged, name, &found)));
        }
        merged.sync();
        // A group that cannot be parsed is reported as a format error; the write went through.
        if (merged.status() == QSettings::AccessError) {
            result.failure = draft + QStringLiteral(": cannot be written");
            return result;
        }
    }
    QFile written(draft);
    if (!written.open(QIODevice::ReadOnly)) {
        result.failure = draft + QStringLiteral(": ") + written.errorString();
        return result;
    }
    result.text = written.readAll();
    if (static_cast<std::size_t>(result.text.size()) > QtSettingsStore::kMaxStoreBytes) {
        result.failure = tooLarge(path, result.text.size());
        return result;
    }
    // From a path QSettings has not seen, so that it parses the text instead of its cache.
    if (!writeFile(check, result.text)) {
        result.failure = check + QStringLiteral(": no scratch file for the check");
        return result;
    }
    QSettings reread(check, QSettings::IniFormat);
    for (const auto& [key, value] : result.stored) {
        bool found = false;
        if (readValue(reread, group + toQt(key), &found) != toQt(value) || !found) {
            result.failure = path + QStringLiteral(": the new text does not read back as saved");
            return result;
        }
    }
    return result;
}

// The new file whole on the disk under a temporary name, then renamed over the old one, then
// the rename itself on the disk. Until the rename the old file is untouched.
QString replaceDurably(const QString& path, const QByteArray& content) {
    QSaveFile file(path);
    // Unbuffered: nothing is left in a buffer for commit() to flush (a failed final flush is
    // not reported by commit() in every Qt version).
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return path + QStringLiteral(": ") + file.errorString();
    }
    const auto fail = [&](const QString& why) {
        file.cancelWriting();
        file.commit();  // discards the temporary file
        return why;
    };
    if (const std::string failed = posix::makeOwnerOnly(file.handle()); !failed.empty()) {
        return fail(withReason(path, failed));
    }
    // Written past QIODevice, whose error text does not always carry the system's reason.
    if (const std::string failed = posix::writeAll(file.handle(), content.constData(),
                                                   static_cast<std::size_t>(content.size()));
        !failed.empty()) {
        return fail(withReason(path, failed));
    }
    if (const std::string failed = posix::syncFileData(file.handle()); !failed.empty()) {
        return fail(withReason(path, failed));
    }
    if (!file.commit()) {
        return path + QStringLiteral(": ") + file.errorString();
    }
    const QString folder = QFileInfo(finalFileOf(path)).absolutePath();
    if (const std::string failed = posix::syncFolder(nativePath(folder)); !failed.empty()) {
        return withReason(folder, failed);
    }
    return {};
}

}  // namespace

std::string QtSettingsStore::get(const std::string& application, const std::string& section,
                                 const std::string& key, const std::string& fallback) {
    if (!reader_ || readerApplication_ != toQt(application)) {
        readerApplication_ = toQt(application);
        readerCopy_ = std::make_unique<QTemporaryDir>();
        const QString path = storeFile(application);
        QByteArray content;
        if (path.isEmpty()) {
            std::fprintf(stderr,
                         "quorvel: no folder for the bookmarks: HOME is unset or not an "
                         "absolute path, and so is XDG_CONFIG_HOME\n");
        } else if (const QString why = readStore(path, &content); !why.isEmpty()) {
            std::fprintf(stderr, "quorvel: %s; the bookmarks are the defaults until it is mended\n",
                         qPrintable(why));
        }
        // QSettings reads a private copy: the file itself could be swapped for a FIFO meanwhile.
        const QString copy = readerCopy_->filePath(QStringLiteral("read.ini"));
        if (!writeFile(copy, content)) {
            content.clear();
        }
        reader_ = std::make_unique<QSettings>(copy, QSettings::IniFormat);
    }
    bool found = false;
    const QString value = readValue(*reader_, toQt(section) + QLatin1Char('/') + toQt(key), &found);
    return found ? fromQt(value) : fallback;
}

SaveOutcome QtSettingsStore::save(const std::string& application, const std::string& section,
                                  const SettingsEntries& entries,
                                  const std::vector<std::string>& changed) {
    reader_.reset();
    const auto failed = [](const QString& why) { return SaveOutcome{false, fromQt(why), {}}; };
    const QString path = storeFile(application);
    if (path.isEmpty()) {
        return failed(
            QStringLiteral("no folder for the bookmarks: HOME is unset or not an "
                           "absolute path, and so is XDG_CONFIG_HOME"));
    }
    qsizetype bytes = 0;
    for (const auto& entry : entries) {
        bytes += static_cast<qsizetype>(entry.first.size() + entry.second.size());
    }
    // Refused before QSettings would spend seconds and gigabytes on it.
    if (static_cast<std::size_t>(bytes) > kMaxStoreBytes) {
        return failed(tooLarge(path, bytes));
    }
    if (const std::string made =
            posix::makePrivateFolders(nativePath(QFileInfo(path).absolutePath()));
        !made.empty()) {
        return failed(QString::fromLocal8Bit(made.c_str()));
    }

    QLockFile lock(path + QStringLiteral(".lock"));
    if (const QString why = takeLock(lock, giveUp_); !why.isEmpty()) {
        return failed(why);
    }
    QByteArray current;
    if (const QString why = readStore(path, &current); !why.isEmpty()) {
        return failed(why);
    }
    if (const QString why = keepDamagedFile(path, current); !why.isEmpty()) {
        return failed(why);
    }
    const Merge next = merge(path, current, toQt(section) + QLatin1Char('/'), entries, changed);
    if (!next.failure.isEmpty()) {
        return failed(next.failure);
    }
    if (const QString why = replaceDurably(path, next.text); !why.isEmpty()) {
        return failed(why);
    }
    return SaveOutcome{true, {}, next.stored};
}

QString QtSettingsStore::keepDamagedFile(const QString& path, const QByteArray& content) {
    if (checkedFile_) {
        return {};
    }
    const QString loss = lossOnRewrite(content);
    if (loss.isEmpty()) {
        checkedFile_ = true;
        return {};
    }
    QString copy = path + QStringLiteral(".damaged");
    for (int n = 2; QFileInfo::exists(copy) || QFileInfo(copy).isSymLink(); ++n) {
        copy = path + QStringLiteral(".damaged-%1").arg(n);
    }
    QFile file(copy);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        return copy + QStringLiteral(": ") + file.errorString();
    }
    std::string failedAt;
    if (failedAt = posix::makeOwnerOnly(file.handle()); failedAt.empty()) {
        if (failedAt = posix::writeAll(file.handle(), content.constData(),
                                       static_cast<std::size_t>(content.size()));
            failedAt.empty()) {
            failedAt = posix::syncFileData(file.handle());
        }
    }
    if (!failedAt.empty()) {
        file.close();
        file.remove();
        return withReason(copy, failedAt);
    }
    checkedFile_ = true;
    std::fprintf(stderr, "quorvel: %s had %s, which a rewrite would lose; it was kept as %s\n",
                 qPrintable(path), qPrintable(loss), qPrintable(copy));
    return {};
}

}  // namespace quorvel::runtime::qt
