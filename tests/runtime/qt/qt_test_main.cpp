// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>

// Backend tests run on Qt's offscreen platform: widgets and menus work, nothing is displayed.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
