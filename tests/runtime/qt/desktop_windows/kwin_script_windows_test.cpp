// SPDX-License-Identifier: MIT
#include "runtime/qt/desktop_windows/kwin_script_windows.h"

#include <gmock/gmock.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quorvel::runtime::qt {
namespace {

// A folder name that would end a string, a comment or a line of the script if pasted raw.
const std::string kName = "a\"b\\c\nd\u2028e</script>*/'f";

TEST(KWinScriptWindows, TheTableHoldsTheNameUnchangedAndTheScriptStaysOnItsLines) {
    const FolderWindow folder{"/opt/Quorvel/" + kName, kName};
    const QByteArray table = KWinScriptWindows::matchTable(folder);
    EXPECT_FALSE(table.contains('\n'));
    EXPECT_FALSE(table.contains("\xe2\x80\xa8"));
    EXPECT_TRUE(KWinScriptWindows::closeScript(folder).contains("var table = " + table + ";\n"));

    QJsonParseError error{};
    const QJsonObject parsed = QJsonDocument::fromJson(table, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << table.constData();
    const QString name = QString::fromStdString(kName);
    // Another program's window of that title is never the folder's.
    EXPECT_EQ(parsed[QStringLiteral("anyClass")].toArray(), QJsonArray{});
    const QJsonArray pairs = parsed[QStringLiteral("pairs")].toArray();
    EXPECT_TRUE(pairs.contains(QJsonArray{name + QStringLiteral(" - Thunar"), "thunar"}));
    EXPECT_TRUE(pairs.contains(QJsonArray{name + QStringLiteral(" \u2014 Dolphin"), "dolphin"}));
    EXPECT_FALSE(pairs.contains(QJsonArray{name, "thunar"}));
}

}  // namespace
}  // namespace quorvel::runtime::qt
