// SPDX-License-Identifier: MIT
#include "runtime/qt/qt_shell.h"

#include <gmock/gmock.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

namespace quorvel::runtime::qt {
namespace {

// Waits, bounded, for the recording opener to finish writing.
QByteArray waitForFile(const QString& path) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 5000) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray content = file.readAll();
            if (content.endsWith("\nEND\n")) {
                return content;
            }
        }
        QThread::msleep(20);
    }
    return {};
}

// A shell script at PATH with BODY, executable by its owner only.
bool writeOpener(const QString& path, const QString& body) {
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly) ||
        script.write(QStringLiteral("#!/bin/sh\n").append(body).toUtf8()) < 0) {
        return false;
    }
    script.close();
    return script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                 QFileDevice::ExeOwner);
}

TEST(QtShell, TheOpenerGetsTheTextAsItsOneUnchangedArgument) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString opener = dir.filePath(QStringLiteral("opener"));
    const QString record = dir.filePath(QStringLiteral("record"));
    const QString marker = dir.filePath(QStringLiteral("executed"));
    ASSERT_TRUE(
        writeOpener(opener, QStringLiteral("{ printf '%s\\n' \"$#\"; printf '[%s]\\n' \"$@\"; "
                                           "echo END; } > '%1.tmp' && mv '%1.tmp' '%1'\n")
                                .arg(record)));

    const std::string tricky = "$(touch " + marker.toStdString() + "); `id` 'q' \"d\" & -x 日本";
    QtShell shell(opener);
    shell.open(tricky);

    const QByteArray content = waitForFile(record);
    EXPECT_EQ(content.toStdString(), "1\n[" + tricky + "]\nEND\n");
    EXPECT_FALSE(QFile::exists(marker));
}

// What the opener starts stays in the session it leads, even when the opener's child forks away
// and ends; nothing else is in it, and it counts only for the text that opener was given. A scan
// of /proc finds it too.
TEST(QtShell, TheOpenersSessionHoldsWhatItStartedForThatTextOnly) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString opener = dir.filePath(QStringLiteral("opener"));
    const QString record = dir.filePath(QStringLiteral("record"));
    ASSERT_TRUE(writeOpener(
        opener, QStringLiteral("( sleep 60 </dev/null >/dev/null 2>&1 & echo $! "
                               "> '%1.tmp' ); printf 'END\\n' >> '%1.tmp'; mv '%1.tmp' '%1'\n")
                    .arg(record)));

    posix::OpenerSessions sessions;
    QtShell shell(opener, &sessions);
    shell.open("/opt/Quorvel/taro");
    const QByteArray content = waitForFile(record);
    const pid_t forked = content.split('\n').value(0).toInt();
    ASSERT_GT(forked, 0) << content.toStdString();
    EXPECT_TRUE(sessions.holds("/opt/Quorvel/taro", forked));
    EXPECT_FALSE(sessions.holds("/opt/Quorvel/tar", forked));
    EXPECT_FALSE(sessions.holds("/opt/Quorvel/taro", ::getpid()));
    EXPECT_FALSE(sessions.holds("/opt/Quorvel/taro", 0x3fffffff));  // no such process
    EXPECT_THAT(sessions.processes("/opt/Quorvel/taro"), testing::Contains(forked));
    EXPECT_THAT(sessions.processes("/opt/Quorvel/taro"),
                testing::Not(testing::Contains(::getpid())));
    EXPECT_THAT(sessions.processes("/opt/Quorvel/tar"), testing::IsEmpty());
    ::kill(forked, SIGKILL);

    EXPECT_EQ(posix::sessionInStat("1234 (sh) S 1 1234 1234 0 -1 4194560"), 1234);
    EXPECT_EQ(posix::sessionInStat("77 (a) b) S 1 2 99 0"), 99);
    EXPECT_EQ(posix::sessionInStat("77 (x (y)) R 1 2 3"), 3);
    for (const char* stat : {"", "77 (x)", "77 (x) S 1 2", "77 (x) S 1 2 abc 4",
                             "77 (x) S 1 2 -5 4", "77 (x) S 1  2 3 4", "77 x S 1 2 3 4"}) {
        EXPECT_FALSE(posix::sessionInStat(stat)) << stat;
    }
}

int openDescriptors() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).count()) - 2;  // . and ..
}

// An opener that hangs until released, many times over: descriptors stay bounded, and every
// opener is reaped once they end.
TEST(QtShell, OpenersThatHangHoldABoundedNumberOfDescriptorsAndAreAllReaped) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString opener = dir.filePath(QStringLiteral("opener"));
    const QString release = dir.filePath(QStringLiteral("release"));
    ASSERT_TRUE(writeOpener(
        opener, QStringLiteral("while [ ! -e '%1' ]; do sleep 0.05; done\n").arg(release)));

    // No child of an earlier test may count as ours.
    QElapsedTimer earlier;
    earlier.start();
    while (::waitpid(-1, nullptr, WNOHANG) >= 0 && earlier.elapsed() < 5000) {
        QThread::msleep(20);
    }
    const int before = openDescriptors();
    constexpr int kLaunches = 3 * QtShell::kMaxWatched;
    {
        QtShell shell(opener);
        for (int i = 0; i < kLaunches; ++i) {
            shell.open("https://example.org/" + std::to_string(i));
        }
        EXPECT_LE(openDescriptors() - before, QtShell::kMaxWatched);

        QFile(release).open(QIODevice::WriteOnly);
        QElapsedTimer timer;
        timer.start();
        // Until the shell has reaped every child; WNOWAIT leaves that to it.
        siginfo_t child{};
        while (::waitid(P_ALL, 0, &child, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               timer.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        EXPECT_EQ(::waitid(P_ALL, 0, &child, WEXITED | WNOHANG | WNOWAIT), -1)
            << "an opener was left unreaped";
    }
    EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
}  // namespace quorvel::runtime::qt
