#include "runtime/qt/store_file_check.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace quorvel::runtime::qt {
namespace {

TEST(StoreFileCheck, WhatQSettingsWritesSurvivesItsOwnRewrite) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.ini"));
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Url Info/Title url0"), QStringLiteral("日本 & \"q\"; ,"));
        settings.setValue(QStringLiteral("Url Info/url0"), QStringLiteral("a\nb\r\n=c [d]"));
        settings.setValue(QStringLiteral("Other/x"), QStringLiteral("  spaced  "));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(rewritesIdentically(file.readAll()));
    EXPECT_TRUE(rewritesIdentically(""));
}

TEST(StoreFileCheck, AnythingARewriteWouldDropOrAlterIsCaught) {
    for (const char* content : {
             "[Url%20Info]\n; a comment\nurl0=a\n",
             "[Url%20Info]\nurl0=a\nurl0=b\n",
             "[Url%20Info]\njust some words\n",
             "[Url%20Info\nurl0=a\n",
             "[Url%20Info]\nurl0=\xff\xfe\n",
         }) {
        EXPECT_FALSE(rewritesIdentically(content)) << content;
    }
    EXPECT_FALSE(rewritesIdentically(QByteArray("url0=a\0b\n", 9)));
}

}  // namespace
}  // namespace quorvel::runtime::qt
