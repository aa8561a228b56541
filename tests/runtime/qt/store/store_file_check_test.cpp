// SPDX-License-Identifier: MIT
#include "runtime/qt/store/store_file_check.h"

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
    EXPECT_EQ(lossOnRewrite(file.readAll()), QString());
    EXPECT_EQ(lossOnRewrite(""), QString());
}

TEST(StoreFileCheck, QuotingOrderAndEscapingThatARewriteChangesLoseNothing) {
    for (const char* content : {
             "[Url%20Info]\nurl1=https://b.example/two?x=1&y=2\n",
             "[Url%20Info]\nurl1=a=b\nurl0=\"quoted\"\n",
             "[Url Info]\r\nurl2=http://maps.example/?ll=35.6,139.7\r\n",
             "[Url%20Info]\nurl1=\"a;b\"\nurl0=x\\\ncontinued\n",
         }) {
        EXPECT_EQ(lossOnRewrite(content), QString()) << content;
    }
}

TEST(StoreFileCheck, AnythingARewriteWouldDropOrCutIsCaught) {
    for (const char* content : {
             "[Url%20Info]\n; a comment\nurl0=a\n",
             "[Url%20Info]\nurl0=a ; note\n",
             "[Url%20Info]\nurl0=a\\;b\n",
             "[Url%20Info]\nurl0=a\nurl0=b\n",
             "[Url%20Info]\nurl1=a\nurl%31=b\n",
             "[Url%20Info]\njust some words\n",
             "[Url%20Info]\nurl0=before\rafter\n",
             "[Url%20Info\nurl0=a\n",
             "[Url%20Info]\nurl0=\xff\xfe\n",
         }) {
        EXPECT_NE(lossOnRewrite(content), QString()) << content;
    }
    EXPECT_NE(lossOnRewrite(QByteArray("url0=a\0b\n", 9)), QString());
}

}  // namespace
}  // namespace quorvel::runtime::qt
