#include "runtime/qt/qt_settings_store.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "runtime/posix/durable_files.h"
#include "runtime/qt/qt_text.h"
#include "runtime/qt/store_file_check.h"

namespace quorvel::runtime::qt {

namespace {

using namespace std::chrono_literals;

const QString kOrganisation = QStringLiteral("Quorvel");
// Never longer than this in the event loop for a lock another copy holds.
constexpr std::chrono::milliseconds kLockWait = 1800ms;
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

QString takeLock(QLockFile& lock, const QString& path) {
    lock.setStaleLockTime(kStaleAfter);
    errno = 0;
    if (lock.tryLock(kLockWait)) {
        return {};
    }
    const int error = errno;
    switch (lock.error()) {
        case QLockFile::LockFailedError: {
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
        case QLockFile::PermissionError:
            return withReason(path, std::strerror(EACCES));
        default:
            // QLockFile gives no reason of its own; errno still holds the failed call's.
            return withReason(path, error != 0 ? std::strerror(error) : "cannot be written");
    }
}

// The file a write to `path` ends in: through links, also a dangling one, as QSaveFile goes.
QString finalFileOf(const QString& path) {
    QFileInfo info(path);
    for (int depth = 0; depth < 128 && info.isSymLink(); ++depth) {
        info.setFile(info.symLinkTarget());
    }
    return info.absoluteFilePath();
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
    if (const std::string failed = posix::syncFolder(QFile::encodeName(folder).toStdString());
        !failed.empty()) {
        return withReason(folder, failed);
    }
    return {};
}

QString readWhole(const QString& path, QByteArray* content) {
    QFile file(path);
    // Nothing there yet, also behind a dangling link (the save creates its target).
    if (!file.exists() || !QFileInfo::exists(finalFileOf(path))) {
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return path + QStringLiteral(": ") + file.errorString();
    }
    *content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return path + QStringLiteral(": ") + file.errorString();
    }
    return {};
}

QString writeScratch(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() ||
        !file.flush()) {
        return path + QStringLiteral(": ") + file.errorString();
    }
    return {};
}

}  // namespace

std::string QtSettingsStore::get(const std::string& application, const std::string& section,
                                 const std::string& key, const std::string& fallback) {
    if (!reader_ || readerApplication_ != toQt(application)) {
        readerApplication_ = toQt(application);
        reader_ = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                              kOrganisation, readerApplication_);
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
    const QString path =
        QSettings(QSettings::IniFormat, QSettings::UserScope, kOrganisation, toQt(application))
            .fileName();
    if (const std::string made = posix::makePrivateFolders(
            QFile::encodeName(QFileInfo(path).absolutePath()).toStdString());
        !made.empty()) {
        return failed(QString::fromLocal8Bit(made.c_str()));
    }
    QLockFile lock(path + QStringLiteral(".lock"));
    if (const QString why = takeLock(lock, lock.fileName()); !why.isEmpty()) {
        return failed(why);
    }

    QByteArray current;
    if (const QString why = readWhole(path, &current); !why.isEmpty()) {
        return failed(why);
    }
    if (const QString why = keepDamagedFile(path, current); !why.isEmpty()) {
        return failed(why);
    }

    // QSettings writes the new text, from the file as it is now, in a scratch folder: its own
    // writing cannot be made to wait for a lock only so long, nor to sync the folder.
    const QTemporaryDir scratch;
    if (!scratch.isValid()) {
        return failed(scratch.path() + QStringLiteral(": ") + scratch.errorString());
    }
    const QString draft = scratch.filePath(QStringLiteral("draft.ini"));
    if (const QString why = writeScratch(draft, current); !why.isEmpty()) {
        return failed(why);
    }
    const QString group = toQt(section) + QLatin1Char('/');
    SaveOutcome outcome{true, {}, {}};
    {
        QSettings merged(draft, QSettings::IniFormat);
        for (const auto& [key, value] : entries) {
            const QString name = group + toQt(key);
            if (!merged.contains(name) ||
                std::find(changed.begin(), changed.end(), key) != changed.end()) {
                merged.setValue(name, toQt(value));
            }
            bool found = false;
            outcome.stored.emplace_back(key, fromQt(readValue(merged, name, &found)));
        }
        merged.sync();
        // A group that cannot be parsed is reported as a format error; the write went through.
        if (merged.status() == QSettings::AccessError) {
            return failed(draft + QStringLiteral(": cannot be written"));
        }
    }
    QByteArray next;
    if (const QString why = readWhole(draft, &next); !why.isEmpty()) {
        return failed(why);
    }
    // What the new text reads back as, from a path QSettings has not seen.
    const QString check = scratch.filePath(QStringLiteral("check.ini"));
    if (const QString why = writeScratch(check, next); !why.isEmpty()) {
        return failed(why);
    }
    {
        QSettings written(check, QSettings::IniFormat);
        for (const auto& [key, value] : outcome.stored) {
            bool found = false;
            if (readValue(written, group + toQt(key), &found) != toQt(value) || !found) {
                return failed(path + QStringLiteral(": the new text does not read back as saved"));
            }
        }
    }
    if (const QString why = replaceDurably(path, next); !why.isEmpty()) {
        return failed(why);
    }
    return outcome;
}

QString QtSettingsStore::keepDamagedFile(const QString& path, const QByteArray& content) {
    if (checkedFile_ || content.isEmpty() || rewritesIdentically(content)) {
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
    std::fprintf(stderr, "quorvel: %s had content a rewrite would drop; it was kept as %s\n",
                 qPrintable(path), qPrintable(copy));
    return {};
}

}  // namespace quorvel::runtime::qt
