// SPDX-License-Identifier: MIT
#include "runtime/qt/common/qt_icons.h"

#include <gtest/gtest.h>

#include <QDBusMetaType>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
#include <QSize>
#include <QTemporaryDir>

#include "runtime/qt/tray/dbus_tray_types.h"
#include "runtime/qt/tray/installed_icon_theme.h"
#include "runtime/qt/tray/no_tray_notice.h"

namespace quorvel::runtime::qt {
namespace {

// The Qt plugins mapped into this process.
QStringList loadedPlugins() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly)) {
        return {QStringLiteral("<cannot read /proc/self/maps>")};
    }
    QStringList plugins;
    const QRegularExpression plugin(QStringLiteral("/plugins/\\S+\\.so"));
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const auto match = plugin.match(QString::fromUtf8(line));
        if (match.hasMatch() && !plugins.contains(match.captured())) {
            plugins << match.captured();
        }
    }
    return plugins;
}

QList<QSize> squares(std::initializer_list<int> sizes) {
    QList<QSize> result;
    for (int size : sizes) {
        result << QSize(size, size);
    }
    return result;
}

// Pixels neither transparent nor of one colour: the picture, not an empty placeholder.
int colours(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    QList<QRgb> seen;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (const QRgb pixel = image.pixel(x, y); qAlpha(pixel) != 0 && !seen.contains(pixel)) {
                seen << pixel;
            }
        }
    }
    return static_cast<int>(seen.size());
}

TEST(QtIcons, TheBuiltPicturesAtEverySizeWithoutAnImagePlugin) {
    const QStringList before = loadedPlugins();
    const QIcon tray = iconFor(kProgramIcon);
    const QIcon window = programWindowIcon();
    EXPECT_EQ(tray.availableSizes(), squares({16, 22, 24, 32, 48, 64, 128, 256}));
    EXPECT_EQ(window.availableSizes(), squares({16, 22, 24, 32, 48, 64, 128}));
    for (const QSize& size : tray.availableSizes()) {
        const QPixmap pixmap = tray.pixmap(size);
        EXPECT_EQ(pixmap.size(), size);
        EXPECT_GE(colours(pixmap), 8) << size.width() << " px";
    }
    // A size between two rendered ones comes from the larger, scaled down.
    EXPECT_EQ(tray.pixmap(QSize(40, 40)).size(), QSize(40, 40));
    EXPECT_TRUE(iconFor(kProgramIcon + 1).isNull());
    EXPECT_EQ(loadedPlugins(), before) << "an image or icon engine plugin was loaded";
}

// The notice's picture, as servers read the hint: RGBA rows of the program's icon, not
// premultiplied, with its transparent corners.
TEST(QtIcons, TheNoticeCarriesTheProgramsPicture) {
    const QVariant hint = NoTrayNotice::hints().value(QStringLiteral("image-data"));
    EXPECT_EQ(QDBusMetaType::typeToSignature(hint.metaType()), QByteArray("(iiibiiay)"));
    const auto image = hint.value<NotificationImage>();
    EXPECT_EQ(image.width, 64);
    EXPECT_EQ(image.height, 64);
    EXPECT_EQ(image.rowstride, 64 * 4);
    EXPECT_TRUE(image.hasAlpha);
    EXPECT_EQ(image.bitsPerSample, 8);
    EXPECT_EQ(image.channels, 4);
    ASSERT_EQ(image.data.size(), 64 * 64 * 4);
    const QImage picture(reinterpret_cast<const uchar*>(image.data.constData()), 64, 64, 64 * 4,
                         QImage::Format_RGBA8888);
    EXPECT_EQ(picture, programIcon()
                           .pixmap(QSize(64, 64), 1.0)
                           .toImage()
                           .convertToFormat(QImage::Format_RGBA8888));
    EXPECT_GE(colours(QPixmap::fromImage(picture)), 8);
    EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0);
}

TEST(InstalledThemedIcon, NamedOnlyWhereTheInstallPutTheScalableIcon) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString program = root.filePath(QStringLiteral("prefix/lib/quorvel"));
    const QString themes = root.filePath(QStringLiteral("prefix/share/icons"));
    const QString fromProgram = QStringLiteral("../../share/icons");
    ASSERT_TRUE(QDir().mkpath(program) && QDir().mkpath(themes + "/hicolor/48x48/apps"));
    ASSERT_TRUE(QFile(themes + "/hicolor/48x48/apps/quorvel.png").open(QIODevice::WriteOnly));
    const ThemedIcon none = installedThemedIcon(program, fromProgram);
    EXPECT_TRUE(none.name.isEmpty() && none.themePath.isEmpty()) << none.themePath.toStdString();

    ASSERT_TRUE(QDir().mkpath(themes + "/hicolor/scalable/apps"));
    ASSERT_TRUE(QFile(themes + "/hicolor/scalable/apps/quorvel.svg").open(QIODevice::WriteOnly));
    const ThemedIcon installed = installedThemedIcon(program, fromProgram);
    EXPECT_EQ(installed.name, QStringLiteral("quorvel"));
    EXPECT_EQ(installed.themePath, themes);
    // A build tree's or an unpacked folder's program, with no theme the same way up.
    EXPECT_TRUE(installedThemedIcon(root.filePath(QStringLiteral("build/Quorvel")), fromProgram)
                    .name.isEmpty());
}

}  // namespace
}  // namespace quorvel::runtime::qt
