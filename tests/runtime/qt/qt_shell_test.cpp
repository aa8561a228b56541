// SPDX-License-Identifier: MIT
#include "runtime/qt/qt_shell.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

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

TEST(QtShell, TheOpenerGetsTheTextAsItsOneUnchangedArgument) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString opener = dir.filePath(QStringLiteral("opener"));
    const QString record = dir.filePath(QStringLiteral("record"));
    const QString marker = dir.filePath(QStringLiteral("executed"));
    QFile script(opener);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\n{ printf '%s\\n' \"$#\"; printf '[%s]\\n' \"$@\"; "
                                "echo END; } > '%1.tmp' && mv '%1.tmp' '%1'\n")
                     .arg(record)
                     .toUtf8());
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    const std::string tricky = "$(touch " + marker.toStdString() + "); `id` 'q' \"d\" & -x 日本";
    QtShell shell(opener);
    shell.open(tricky);

    const QByteArray content = waitForFile(record);
    EXPECT_EQ(content.toStdString(), "1\n[" + tricky + "]\nEND\n");
    EXPECT_FALSE(QFile::exists(marker));
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
    QFile script(opener);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nwhile [ ! -e '%1' ]; do sleep 0.05; done\n")
                     .arg(release)
                     .toUtf8());
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

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
