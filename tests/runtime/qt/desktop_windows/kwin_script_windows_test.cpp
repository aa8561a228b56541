// SPDX-License-Identifier: MIT
#include "runtime/qt/desktop_windows/kwin_script_windows.h"

#include <gmock/gmock.h>

#include <QJSEngine>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <vector>

#include "runtime/qt/desktop_windows/file_manager_titles.h"

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
    EXPECT_EQ(parsed[QStringLiteral("names")].toArray(),
              (QJsonArray{name, QString::fromStdString(folder.path)}));
    EXPECT_EQ(parsed[QStringLiteral("openerPids")].toArray(), QJsonArray{});
    const QJsonArray pairs = parsed[QStringLiteral("pairs")].toArray();
    EXPECT_TRUE(pairs.contains(QJsonArray{name + QStringLiteral(" - Thunar"), "thunar"}));
    EXPECT_TRUE(pairs.contains(QJsonArray{name + QStringLiteral(" \u2014 Dolphin"), "dolphin"}));
    EXPECT_FALSE(pairs.contains(QJsonArray{name, "thunar"}));
}

// KWin's windows as the script sees them; records which ones it asked to close.
std::vector<int> runScript(const QByteArray& script, const QJsonArray& windows, const char* list) {
    QJSEngine engine;
    const QJSValue prelude = engine.evaluate(
        QStringLiteral("var closed = [], listed = %1;"
                       "var workspace = {%2: function () { return listed.map(function (w, i) {"
                       "w.closeWindow = function () { closed.push(i); }; return w; }); }};")
            .arg(QString::fromUtf8(QJsonDocument(windows).toJson(QJsonDocument::Compact)),
                 QString::fromLatin1(list)));
    const QJSValue result = engine.evaluate(QString::fromUtf8(script));
    EXPECT_FALSE(prelude.isError() || result.isError()) << result.toString().toStdString();
    std::vector<int> closed;
    const QJSValue asked = engine.globalObject().property(QStringLiteral("closed"));
    for (int i = 0; i < asked.property(QStringLiteral("length")).toInt(); ++i) {
        closed.push_back(asked.property(static_cast<quint32>(i)).toInt());
    }
    return closed;
}

// The opener's windows close when their caption names the folder, by the same rule as
// titleNamesFolder; another process's window of the same caption stays. On KWin 5 and 6 alike.
TEST(KWinScriptWindows, TheScriptClosesTheOpenersWindowsThatNameTheFolder) {
    const FolderWindow folder{"/opt/Quorvel/taro", "taro"};
    constexpr int kOpener = 4100, kOther = 4200;
    const std::vector<std::string> captions = {"taro",
                                               "Xfe - /opt/Quorvel/taro",
                                               "taro - Files",
                                               "a - taro - b",
                                               "/opt/Quorvel/taro",
                                               "taro2",
                                               "Xfe - /opt/Quorvel/taro2",
                                               "tarot - x",
                                               "x - taro x",
                                               "Xfe - /opt/Quorvel",
                                               "Xfe -taro",
                                               "",
                                               "x - taro - "};
    QJsonArray windows;
    for (const std::string& caption : captions) {
        for (const int pid : {kOpener, kOther}) {
            windows.append(QJsonObject{{"caption", QString::fromStdString(caption)},
                                       {"resourceClass", "xfe"},
                                       {"pid", pid}});
        }
    }
    // KWin tells apart two windows of one caption; a window of the table's stays recognised.
    windows.append(QJsonObject{{"caption", "Xfe - /opt/Quorvel/taro <2>\u200e"},
                               {"resourceClass", "xfe"},
                               {"pid", kOpener}});
    windows.append(
        QJsonObject{{"caption", "taro - Thunar"}, {"resourceClass", "thunar"}, {"pid", kOther}});

    std::vector<int> expected;
    const int count = static_cast<int>(captions.size());
    for (int i = 0; i < count; ++i) {
        if (titleNamesFolder(captions[static_cast<std::size_t>(i)], folder)) {
            expected.push_back(2 * i);
        }
    }
    expected.push_back(2 * count);
    expected.push_back(2 * count + 1);
    ASSERT_EQ(expected.size(), 8U);
    const QByteArray script = KWinScriptWindows::closeScript(folder, {kOpener, 99});
    EXPECT_EQ(runScript(script, windows, "windowList"), expected);
    EXPECT_EQ(runScript(script, windows, "clientList"), expected);
    // Without the opener's processes, only the table's window.
    EXPECT_EQ(runScript(KWinScriptWindows::closeScript(folder), windows, "clientList"),
              std::vector<int>{expected.back()});
}

}  // namespace
}  // namespace quorvel::runtime::qt
