// SPDX-License-Identifier: MIT
#include "runtime/qt/tray/dbus_menu_exporter.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include "runtime/qt/tray/status_notifier_item.h"

namespace quorvel::runtime::qt {
namespace {

TEST(DBusMenuLabel, AccessKeysBecomeMnemonicsAndUnderscoresStayLiteral) {
    EXPECT_EQ(dbusMenuLabel(QStringLiteral("URL編集(&E)")), QStringLiteral("URL編集(_E)"));
    EXPECT_EQ(dbusMenuLabel(QStringLiteral("a_b")), QStringLiteral("a__b"));
    EXPECT_EQ(dbusMenuLabel(QStringLiteral("Tom && Jerry")), QStringLiteral("Tom & Jerry"));
    EXPECT_EQ(dbusMenuLabel(QStringLiteral("&&&x")), QStringLiteral("&_x"));
    EXPECT_EQ(dbusMenuLabel(QStringLiteral("end&")), QStringLiteral("end"));
    EXPECT_EQ(dbusMenuLabel(QStringLiteral("作者HP")), QStringLiteral("作者HP"));
}

QMenu& sampleMenu(QMenu& menu) {
    menu.addAction(QStringLiteral("作者&HP"));
    menu.addSeparator();
    menu.addAction(QStringLiteral("終了"))->setEnabled(false);
    return menu;
}

TEST(DBusMenuLayout, TheActionsInOrderUnderRootZero) {
    QMenu menu;
    const DBusMenuNode root = dbusMenuLayout(sampleMenu(menu), -1, {});
    EXPECT_EQ(root.id, 0);
    EXPECT_EQ(root.properties.value("children-display").toString(), QStringLiteral("submenu"));
    ASSERT_EQ(root.children.size(), 3);
    EXPECT_EQ(root.children[0].id, 1);
    EXPECT_EQ(root.children[0].properties.value("label").toString(), QStringLiteral("作者_HP"));
    EXPECT_TRUE(root.children[0].properties.value("enabled").toBool());
    EXPECT_EQ(root.children[1].id, 2);
    EXPECT_EQ(root.children[1].properties.value("type").toString(), QStringLiteral("separator"));
    EXPECT_FALSE(root.children[1].properties.contains("label"));
    EXPECT_EQ(root.children[2].properties.value("label").toString(), QStringLiteral("終了"));
    EXPECT_FALSE(root.children[2].properties.value("enabled").toBool());

    // Only the properties asked for; depth 0 is the root alone.
    const DBusMenuNode labels = dbusMenuLayout(menu, -1, {QStringLiteral("label")});
    EXPECT_EQ(labels.children[0].properties.keys(), QStringList{"label"});
    EXPECT_TRUE(labels.children[1].properties.isEmpty());
    EXPECT_TRUE(dbusMenuLayout(menu, 0, {}).children.isEmpty());
}

TEST(SniPixmaps, SeveralSizesInNetworkByteOrder) {
    QImage red(64, 64, QImage::Format_ARGB32);
    red.fill(QColor(255, 0, 0, 255));
    const SniPixmaps pixmaps = sniPixmaps(QIcon(QPixmap::fromImage(red)));
    ASSERT_GE(pixmaps.size(), 3);
    for (const SniPixmap& pixmap : pixmaps) {
        ASSERT_EQ(pixmap.pixels.size(), qsizetype(pixmap.width) * pixmap.height * 4);
        // A, R, G, B: opaque red.
        EXPECT_EQ(pixmap.pixels.left(4), QByteArray("\xff\xff\x00\x00", 4)) << pixmap.width;
    }
    EXPECT_EQ(pixmaps.first().width, 16);
    EXPECT_EQ(pixmaps.last().width, 64);
}

// The export as a host sees it, over a bus of the test's own.
class DBusMenuWire : public ::testing::Test {
  protected:
    void SetUp() override {
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"),
                      QStringLiteral("--print-address")});
        ASSERT_TRUE(daemon.waitForStarted()) << "needs dbus-daemon (Debian package dbus)";
        ASSERT_TRUE(daemon.waitForReadyRead(5000));
        const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
        exporter = QDBusConnection::connectToBus(address, QStringLiteral("exporter"));
        host = QDBusConnection::connectToBus(address, QStringLiteral("host"));
        ASSERT_TRUE(exporter.isConnected() && host.isConnected());
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus(QStringLiteral("exporter"));
        QDBusConnection::disconnectFromBus(QStringLiteral("host"));
        daemon.terminate();
        daemon.waitForFinished(5000);
    }

    QDBusMessage call(const QString& method, const QVariantList& arguments) {
        QDBusMessage message =
            QDBusMessage::createMethodCall(exporter.baseService(), QStringLiteral("/MenuBar"),
                                           QStringLiteral("com.canonical.dbusmenu"), method);
        message.setArguments(arguments);
        QDBusPendingCall pending = host.asyncCall(message, 5000);
        // The exporter answers from this thread's event loop.
        EXPECT_TRUE(QTest::qWaitFor([&] { return pending.isFinished(); }, 6000));
        return pending.reply();
    }

    std::pair<uint, DBusMenuNode> layout() {
        const QDBusMessage reply = call(QStringLiteral("GetLayout"), {0, -1, QStringList()});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        EXPECT_EQ(reply.signature(), QStringLiteral("u(ia{sv}av)"));
        DBusMenuNode root;
        if (reply.arguments().size() == 2) {
            qvariant_cast<QDBusArgument>(reply.arguments().at(1)) >> root;
        }
        return {reply.arguments().value(0).toUInt(), root};
    }

    QProcess daemon;
    QDBusConnection exporter{QString()};
    QDBusConnection host{QString()};
};

TEST_F(DBusMenuWire, LayoutClickAndCaptionChange) {
    QMenu menu;
    sampleMenu(menu);
    DBusMenuExporter exported(menu, exporter, QStringLiteral("/MenuBar"));

    const auto [revision, root] = layout();
    ASSERT_EQ(root.children.size(), 3);
    EXPECT_EQ(root.children[0].properties.value("label").toString(), QStringLiteral("作者_HP"));
    EXPECT_EQ(root.children[1].properties.value("type").toString(), QStringLiteral("separator"));

    // A host's click runs the action, after the reply.
    QSignalSpy triggered(menu.actions().at(0), &QAction::triggered);
    EXPECT_EQ(call(QStringLiteral("Event"),
                   {1, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u})
                  .type(),
              QDBusMessage::ReplyMessage);
    EXPECT_TRUE(QTest::qWaitFor([&] { return triggered.count() == 1; }, 5000));

    // A new caption shows in the next layout, under a new revision.
    menu.actions().at(0)->setText(QStringLiteral("地図_&M"));
    const auto [newRevision, newRoot] = layout();
    EXPECT_GT(newRevision, revision);
    EXPECT_EQ(newRoot.children[0].properties.value("label").toString(), QStringLiteral("地図___M"));
    EXPECT_EQ(call(QStringLiteral("AboutToShow"), {0}).arguments().value(0), QVariant(false));
}

// The signals a host receives.
class Recorder final : public QObject {
    Q_OBJECT

  public:
    QList<QDBusMessage> signals_;

  public slots:
    void record(const QDBusMessage& signal) { signals_.append(signal); }
};

// What once crashed the program is refused, and it goes on answering; a burst of changes goes
// to hosts as one update.
TEST_F(DBusMenuWire, WrongSignaturesAreRefusedAndChangesGoAsOneUpdate) {
    QMenu menu;
    sampleMenu(menu);
    DBusMenuExporter exported(menu, exporter, QStringLiteral("/MenuBar"));
    const QDBusMessage groupOfKeys =
        call(QStringLiteral("GetGroupProperties"),
             {QVariant::fromValue(DBusMenuItemKeysList{{1, {}}}), QStringList()});
    EXPECT_EQ(groupOfKeys.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(groupOfKeys.errorName(), QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"));
    EXPECT_EQ(call(QStringLiteral("EventGroup"), {QVariant::fromValue(QList<int>{10})}).type(),
              QDBusMessage::ErrorMessage);
    EXPECT_EQ(layout().second.children.size(), 3);

    Recorder recorder;
    for (const char* name : {"LayoutUpdated", "ItemsPropertiesUpdated"}) {
        ASSERT_TRUE(host.connect(exporter.baseService(), QStringLiteral("/MenuBar"),
                                 QStringLiteral("com.canonical.dbusmenu"), QLatin1String(name),
                                 &recorder, SLOT(record(QDBusMessage))));
    }
    menu.actions().at(0)->setText(QStringLiteral("一"));
    menu.actions().at(2)->setText(QStringLiteral("三"));
    menu.actions().at(2)->setEnabled(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.signals_.size() == 2; }, 5000));
    QTest::qWait(100);
    ASSERT_EQ(recorder.signals_.size(), 2);
    for (const QDBusMessage& signal : recorder.signals_) {
        if (signal.member() == QLatin1String("ItemsPropertiesUpdated")) {
            EXPECT_EQ(qdbus_cast<DBusMenuItemPropertiesList>(signal.arguments().at(0)).size(), 2);
        } else {
            EXPECT_EQ(signal.member(), QStringLiteral("LayoutUpdated"));
        }
    }
}

// A StatusNotifier watcher that lists every item registered with it.
class Watcher final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems MEMBER items)

  public:
    QStringList items;
    int registrations = 0;

  public slots:
    void RegisterStatusNotifierItem(const QString& service) {
        ++registrations;
        items = QStringList{service};
    }
};

TEST_F(DBusMenuWire, TheItemRegistersAgainUntilAHostHasReadIt) {
    Watcher watcher;
    ASSERT_TRUE(host.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                                    QDBusConnection::ExportAllContents));
    ASSERT_TRUE(host.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
    QMenu menu;
    StatusNotifierItem item(exporter, QIcon(), QStringLiteral("Quorvel"), sampleMenu(menu), 1,
                            [](std::uint32_t) {});
    const int bound = StatusNotifierItem::kConfirmMilliseconds + 3000;

    // Listed by its unique name, but read by no host: registered again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.registrations == 2; }, bound));
    EXPECT_EQ(watcher.items, QStringList{exporter.baseService()});
    QDBusMessage get = QDBusMessage::createMethodCall(
        exporter.baseService(), QStringLiteral("/StatusNotifierItem"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.kde.StatusNotifierItem") << QStringLiteral("Id");
    const QDBusPendingReply<QDBusVariant> id = host.asyncCall(get);
    EXPECT_TRUE(QTest::qWaitFor([&] { return id.isFinished(); }, 5000));
    EXPECT_EQ(id.value().variant().toString(), QStringLiteral("Quorvel"));

    // Read: it stays registered once.
    QTest::qWait(bound);
    EXPECT_EQ(watcher.registrations, 2);
}

}  // namespace
}  // namespace quorvel::runtime::qt

#include "dbus_menu_exporter_test.moc"
