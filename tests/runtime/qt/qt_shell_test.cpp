// SPDX-License-Identifier: MIT
#include "runtime/qt/qt_shell.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace quorvel::runtime::qt
