// SPDX-License-Identifier: MIT
// The program's StatusNotifier item against a watcher of the test's own on a private session bus
// (given with a virtual X display by tests/e2e/with_session.sh), for what a real host cannot be
// made to do.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <functional>

namespace {

QString programPath;

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

// Answers as a StatusNotifierWatcher with a host present, and remembers who registered.
class Watcher final : public QDBusVirtualObject {
  public:
    QString introspect(const QString&) const override {
        return QStringLiteral(
            "<interface name=\"org.kde.StatusNotifierWatcher\">"
            "<method name=\"RegisterStatusNotifierItem\"><arg name=\"service\" type=\"s\" "
            "direction=\"in\"/></method>"
            "<method name=\"RegisterStatusNotifierHost\"><arg name=\"service\" type=\"s\" "
            "direction=\"in\"/></method>"
            "<property name=\"RegisteredStatusNotifierItems\" type=\"as\" access=\"read\"/>"
            "<property name=\"IsStatusNotifierHostRegistered\" type=\"b\" access=\"read\"/>"
            "<property name=\"ProtocolVersion\" type=\"i\" access=\"read\"/>"
            "<signal name=\"StatusNotifierItemRegistered\"><arg type=\"s\"/></signal>"
            "</interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        if (member == QLatin1String("RegisterStatusNotifierItem")) {
            QString service = message.arguments().value(0).toString();
            registeredPath = QStringLiteral("/StatusNotifierItem");
            if (service.startsWith(QLatin1Char('/'))) {
                registeredPath = service;
                service = message.service();
            }
            registeredService = service;
            ++registrations;
            connection.send(message.createReply());
            return true;
        }
        if (member == QLatin1String("RegisterStatusNotifierHost")) {
            connection.send(message.createReply());
            return true;
        }
        if (message.interface() == kProperties && member == QLatin1String("Get")) {
            connection.send(message.createReply(QVariant::fromValue(
                QDBusVariant(property(message.arguments().value(1).toString())))));
            return true;
        }
        if (message.interface() == kProperties && member == QLatin1String("GetAll")) {
            QVariantMap all;
            for (const char* name : {"RegisteredStatusNotifierItems",
                                     "IsStatusNotifierHostRegistered", "ProtocolVersion"}) {
                all.insert(QLatin1String(name), property(QLatin1String(name)));
            }
            connection.send(message.createReply(all));
            return true;
        }
        return false;
    }

    QString registeredService;
    QString registeredPath;
    int registrations = 0;

  private:
    QVariant property(const QString& name) const {
        if (name == QLatin1String("IsStatusNotifierHostRegistered")) {
            return true;
        }
        if (name == QLatin1String("ProtocolVersion")) {
            return 0;
        }
        return registeredService.isEmpty() ? QStringList() : QStringList{registeredService};
    }
};

struct MenuNode {
    int id = 0;
    QVariantMap properties;
    QList<MenuNode> children;
};

MenuNode readNode(const QDBusArgument& argument) {
    MenuNode node;
    argument.beginStructure();
    argument >> node.id >> node.properties;
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        node.children.append(readNode(qvariant_cast<QDBusArgument>(child.variant())));
    }
    argument.endArray();
    argument.endStructure();
    return node;
}

bool pollFor(const std::function<bool()>& done, int milliseconds = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(20);
    }
    return true;
}

class StatusNotifierTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(bus.isConnected()) << "run under tests/e2e/with_session.sh";
        ASSERT_TRUE(bus.registerVirtualObject(kWatcherPath, &watcher));
        ASSERT_TRUE(bus.registerService(kWatcherService));

        // The program runs from a folder of its own, with a recording opener first in PATH.
        ASSERT_TRUE(home.isValid());
        const QDir root(home.path());
        ASSERT_TRUE(root.mkpath(QStringLiteral("Quorvel/Help")) && root.mkpath("bin") &&
                    root.mkpath("config") && root.mkpath("runtime"));
        QFile::setPermissions(root.filePath("runtime"), QFileDevice::ReadOwner |
                                                            QFileDevice::WriteOwner |
                                                            QFileDevice::ExeOwner);
        program = root.filePath(QStringLiteral("Quorvel/quorvel"));
        ASSERT_TRUE(QFile::copy(programPath, program));
        openerLog = root.filePath(QStringLiteral("opened"));
        QFile opener(root.filePath(QStringLiteral("bin/xdg-open")));
        ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
        opener.write(
            QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\n").arg(openerLog).toUtf8());
        opener.close();
        opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ExeOwner);

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PATH", root.filePath("bin") + ":" + environment.value("PATH"));
        environment.insert("XDG_CONFIG_HOME", root.filePath("config"));
        environment.insert("XDG_RUNTIME_DIR", root.filePath("runtime"));
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.remove("SESSION_MANAGER");
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(program, {});
        ASSERT_TRUE(process.waitForStarted());
        ASSERT_TRUE(pollFor([this] { return !watcher.registeredService.isEmpty(); }))
            << "the item never registered with the watcher";
    }

    void TearDown() override {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            process.waitForFinished(5000);
        }
        bus.unregisterService(kWatcherService);
        bus.unregisterObject(kWatcherPath);
    }

    QDBusMessage callItem(const QString& method, const QVariantList& arguments,
                          const QString& interface = QStringLiteral("org.kde.StatusNotifierItem")) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            watcher.registeredService, watcher.registeredPath, interface, method);
        call.setArguments(arguments);
        return bus.call(call, QDBus::Block, 5000);
    }

    QVariantMap itemProperties() {
        const QDBusMessage reply =
            callItem("GetAll", {QStringLiteral("org.kde.StatusNotifierItem")}, kProperties);
        return qdbus_cast<QVariantMap>(reply.arguments().value(0));
    }

    QDBusMessage callMenu(const QString& method, const QVariantList& arguments) {
        const QString menuPath =
            qvariant_cast<QDBusObjectPath>(itemProperties().value("Menu")).path();
        QDBusMessage call = QDBusMessage::createMethodCall(
            watcher.registeredService, menuPath, QStringLiteral("com.canonical.dbusmenu"), method);
        call.setArguments(arguments);
        return bus.call(call, QDBus::Block, 5000);
    }

    QList<MenuNode> menuEntries() {
        const QDBusMessage reply = callMenu("GetLayout", {0, -1, QStringList()});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2) {
            return {};
        }
        return readNode(qvariant_cast<QDBusArgument>(reply.arguments().at(1))).children;
    }

    QStringList opened() const {
        QFile file(openerLog);
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    int visibleProgramWindows() {
        QProcess search;
        search.start("xdotool", {"search", "--onlyvisible", "--classname", "quorvel"});
        search.waitForFinished(5000);
        return static_cast<int>(QString::fromUtf8(search.readAllStandardOutput())
                                    .split('\n', Qt::SkipEmptyParts)
                                    .size());
    }

    QDBusConnection bus = QDBusConnection::sessionBus();
    Watcher watcher;
    QTemporaryDir home;
    QString program;
    QString openerLog;
    QProcess process;
};

// Real hosts (tests/e2e) cover the item's names, its menu and its presses. What they cannot do
// is drop the watcher's name and take it again at once, as a restarted watcher daemon does
// while the panel stays: the item must register with the new watcher, exactly once.
TEST_F(StatusNotifierTest, AWatcherThatIsReplacedGetsTheItemAgain) {
    const QString first = watcher.registeredService;
    watcher.registeredService.clear();
    watcher.registrations = 0;
    ASSERT_TRUE(bus.unregisterService(kWatcherService));
    ASSERT_TRUE(bus.registerService(kWatcherService));
    ASSERT_TRUE(pollFor([this] { return !watcher.registeredService.isEmpty(); }))
        << "the item did not register with the new watcher";
    // By its unique name, which GNOME's AppIndicator extension does not watch for a new owner.
    EXPECT_TRUE(watcher.registeredService.startsWith(QLatin1Char(':')))
        << watcher.registeredService.toStdString();
    EXPECT_NE(first, QString());

    // Its item answers there, with its menu; a menu choice still reaches the program.
    QList<MenuNode> entries;
    ASSERT_TRUE(pollFor([&] {
        entries = menuEntries();
        return entries.size() == 10;
    }));
    callMenu("Event", {entries.at(0).id, QStringLiteral("clicked"),
                       QVariant::fromValue(QDBusVariant(0)), 0u});
    ASSERT_TRUE(pollFor([this] { return opened().size() == 1; }));
    EXPECT_EQ(opened(), QStringList{"http://www.quorvel.example/"});
    EXPECT_EQ(watcher.registrations, 1);
    EXPECT_EQ(visibleProgramWindows(), 0);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM\n", argv[0]);
        return 2;
    }
    programPath = QString::fromLocal8Bit(argv[1]);
    return RUN_ALL_TESTS();
}
