// SPDX-License-Identifier: MIT
#include "runtime/qt/desktop_windows/sway_ipc_windows.h"

#include <gmock/gmock.h>

#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <atomic>
#include <csignal>
#include <cstring>
#include <mutex>
#include <thread>

#include "runtime/qt/desktop_windows/i3_ipc.h"

namespace quorvel::runtime::qt {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A sway tree, shortened: outputs hold workspaces, which hold splits, windows and floating
// windows. Only a file manager's windows (leaf containers) that show "taro" count.
const QByteArray kTree = R"({"id":1,"type":"root","name":"root","nodes":[
  {"id":2,"type":"output","name":"taro","nodes":[
    {"id":3,"type":"workspace","name":"taro","nodes":[
      {"id":4,"type":"con","name":"taro","app_id":"caja","nodes":[
        {"id":5,"type":"con","name":"taro","app_id":"pcmanfm-qt","pid":10,"nodes":[],"floating_nodes":[]},
        {"id":6,"type":"con","name":"taro ","app_id":"pcmanfm-qt","nodes":[],"floating_nodes":[]},
        {"id":7,"type":"con","name":"Taro","app_id":"pcmanfm-qt","nodes":[],"floating_nodes":[]},
        {"id":8,"type":"con","name":"xtaro","app_id":"pcmanfm-qt","nodes":[],"floating_nodes":[]},
        {"id":9,"type":"con","name":null,"app_id":"pcmanfm-qt","nodes":[],"floating_nodes":[]},
        {"id":"10","type":"con","name":"taro","app_id":"pcmanfm-qt","nodes":[]},
        {"id":13,"type":"con","name":"taro","app_id":"foot","nodes":[]},
        {"id":14,"type":"con","name":"taro - Thunar","app_id":"thunar","nodes":[]}
      ]}],
     "floating_nodes":[
      {"id":11,"type":"floating_con","name":"taro","app_id":null,"window":4194307,
       "window_properties":{"class":"Caja"},"nodes":[]},
      {"id":12,"type":"floating_con","name":"taro*","app_id":"nemo","nodes":[]}
     ]}]}]})";

FolderWindow folder(const char* name) {
    return {std::string("/opt/Quorvel/") + name, name};
}

QByteArray treeReply(const QByteArray& json) {
    return i3ipc::encodeMessage(i3ipc::kGetTree, json);
}

// Containers `depth` deep, ids 1 to depth, all titled "taro"; only the innermost is a window.
QByteArray nested(int depth) {
    QByteArray json;
    for (int id = 1; id <= depth; ++id) {
        json += R"({"type":"con","name":"taro","app_id":"caja","id":)" + QByteArray::number(id) +
                R"(,"nodes":[)";
    }
    for (int id = 1; id <= depth; ++id) {
        json += "]}";
    }
    return json;
}

TEST(I3Ipc, FindsExactlyTheFileManagerWindowsThatShowTheFolder) {
    EXPECT_THAT(i3ipc::windowsShowingInTreeReply(treeReply(kTree), folder("taro")),
                ElementsAre(5, 14, 11));
    EXPECT_THAT(i3ipc::windowsShowingInTreeReply(treeReply(kTree), folder("tar")), IsEmpty());
    EXPECT_THAT(i3ipc::windowsShowingInTreeReply(treeReply(kTree), folder("taro*")),
                ElementsAre(12));
    EXPECT_THAT(i3ipc::windowsShowingInTreeReply(treeReply(nested(300)), folder("taro")),
                ElementsAre(300));
    EXPECT_EQ(i3ipc::killCommand(11), "[con_id=11] kill");
    // i3 wraps a floating window in a floating container of the same title.
    const QByteArray i3Floating = R"({"type":"workspace","name":"1","floating_nodes":[
      {"id":20,"type":"floating_con","name":"taro","nodes":[
        {"id":21,"type":"con","name":"taro","app_id":"nemo","window":12345,"nodes":[],"floating_nodes":[]}]}]})";
    EXPECT_THAT(i3ipc::windowsShowing(i3Floating, folder("taro")), ElementsAre(21));
    const QByteArray utf8 = R"({"type":"con","id":3,"app_id":"org.gnome.Nautilus","name":"太郎"})";
    EXPECT_THAT(i3ipc::windowsShowing(utf8, folder("太郎")), ElementsAre(3));
}

TEST(I3Ipc, AMalformedReplyFindsNothing) {
    QByteArray wrongMagic = treeReply(kTree);
    wrongMagic[0] = 'I';
    QByteArray longer = treeReply(kTree) + "x";
    QByteArray hugeLength = treeReply("{}");
    hugeLength[6] = hugeLength[7] = hugeLength[8] = hugeLength[9] = '\xff';
    const QByteArray deep = QByteArray(100000, '[') + QByteArray(100000, ']');
    const QByteArray deepObjects = nested(5000);
    const QByteArray garbage("\0\x01i3-ipc\xff{]", 11);
    for (const QByteArray& reply :
         {QByteArray(), QByteArray("i3-ipc"), wrongMagic, longer, hugeLength,
          treeReply(kTree).chopped(1), i3ipc::encodeMessage(i3ipc::kRunCommand, kTree),
          treeReply("not json"), treeReply("[1,2,3]"), treeReply("null"), treeReply(deep),
          treeReply(deepObjects), treeReply(R"({"nodes":[1,"x",null,[]],"floating_nodes":{}})"),
          treeReply(R"({"type":"con","name":"taro","app_id":"caja","id":-4})"), garbage}) {
        EXPECT_THAT(i3ipc::windowsShowingInTreeReply(reply, folder("taro")), IsEmpty())
            << reply.left(40).toStdString();
    }
    EXPECT_TRUE(i3ipc::commandSucceeded(R"([{"success":true},{"success":true}])"));
    for (const char* reply : {R"([{"success":false}])", "[]", "{}", "[1]", "", "[{]"}) {
        EXPECT_FALSE(i3ipc::commandSucceeded(reply)) << reply;
    }
}

// A compositor's socket that answers each request with the next of `replies` (raw bytes) and
// records the requests; with no replies left it reads on and answers nothing.
class ScriptedSocket {
  public:
    explicit ScriptedSocket(std::vector<QByteArray> replies) {
        path_ = dir_.filePath(QStringLiteral("ipc.sock"));
        thread_ = std::thread([this, replies = std::move(replies)] { serve(replies); });
        while (!listening_.load()) {
            std::this_thread::yield();
        }
    }
    ~ScriptedSocket() {
        done_ = true;
        thread_.join();
    }
    const QString& path() const { return path_; }
    std::vector<QByteArray> requests() const {
        const std::lock_guard lock(mutex_);
        return requests_;
    }

  private:
    void serve(const std::vector<QByteArray>& replies) {
        QLocalServer server;
        server.listen(path_);
        listening_ = true;
        if (!server.waitForNewConnection(5000)) {
            return;
        }
        QLocalSocket* client = server.nextPendingConnection();
        std::size_t next = 0;
        QByteArray input;
        while (!done_.load()) {
            if (server.waitForNewConnection(0)) {  // the next exchange, on a socket of its own
                client = server.nextPendingConnection();
                input.clear();
            }
            client->waitForReadyRead(20);
            input += client->readAll();
            std::uint32_t length = 0;
            if (input.size() < 14) {
                continue;
            }
            std::memcpy(&length, input.data() + 6, sizeof length);
            if (input.size() < 14 + qsizetype{length}) {
                continue;
            }
            {
                const std::lock_guard lock(mutex_);
                requests_.push_back(input.left(14 + length));
            }
            input.remove(0, 14 + length);
            if (next < replies.size()) {
                client->write(replies[next++]);
                client->waitForBytesWritten(1000);
            }
        }
    }

    QTemporaryDir dir_;
    QString path_;
    std::atomic<bool> listening_{false};
    std::atomic<bool> done_{false};
    mutable std::mutex mutex_;
    std::vector<QByteArray> requests_;
    std::thread thread_;
};

// A child that leads a session of its own until the test ends. The test's own session will not
// do: run outside any session (a container's init) it reads as 0.
class SessionLeader {
  public:
    SessionLeader() : pid_(::fork()) {
        if (pid_ == 0) {
            ::setsid();
            ::pause();
            ::_exit(0);
        }
        while (pid_ > 0 && ::getsid(pid_) != pid_) {
            std::this_thread::yield();
        }
    }
    ~SessionLeader() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    SessionLeader(const SessionLeader&) = delete;
    SessionLeader& operator=(const SessionLeader&) = delete;
    pid_t pid() const { return pid_; }

  private:
    pid_t pid_;
};

TEST(SwayIpcWindows, ClosesEachWindowByItsIdAndGivesUpQuietlyOnAnythingElse) {
    using namespace std::chrono_literals;
    {
        const QByteArray ok = i3ipc::encodeMessage(i3ipc::kRunCommand, R"([{"success":true}])");
        ScriptedSocket sway({treeReply(kTree), ok, ok, ok});
        EXPECT_TRUE(
            SwayIpcWindows(sway.path().toStdString(), 2000ms).closeFolderWindow(folder("taro")));
        std::this_thread::sleep_for(100ms);
        EXPECT_THAT(sway.requests(),
                    ElementsAre(i3ipc::encodeMessage(i3ipc::kGetTree, ""),
                                i3ipc::encodeMessage(i3ipc::kRunCommand, "[con_id=5] kill"),
                                i3ipc::encodeMessage(i3ipc::kRunCommand, "[con_id=14] kill"),
                                i3ipc::encodeMessage(i3ipc::kRunCommand, "[con_id=11] kill")));
    }
    {
        // Window 5 showed the folder's name before the open: the home folder's, left open.
        ScriptedSocket sway({treeReply(R"({"id":3,"type":"workspace","nodes":[
            {"id":5,"type":"con","name":"taro","app_id":"caja","nodes":[]}]})"),
                             treeReply(kTree),
                             i3ipc::encodeMessage(i3ipc::kRunCommand, R"([{"success":true}])"),
                             i3ipc::encodeMessage(i3ipc::kRunCommand, R"([{"success":true}])")});
        SwayIpcWindows windows(sway.path().toStdString(), 2000ms);
        windows.noteWindowsBeforeOpen(folder("taro"));
        EXPECT_TRUE(windows.closeFolderWindow(folder("taro")));
        std::this_thread::sleep_for(100ms);
        EXPECT_THAT(sway.requests(),
                    ElementsAre(i3ipc::encodeMessage(i3ipc::kGetTree, ""),
                                i3ipc::encodeMessage(i3ipc::kGetTree, ""),
                                i3ipc::encodeMessage(i3ipc::kRunCommand, "[con_id=14] kill"),
                                i3ipc::encodeMessage(i3ipc::kRunCommand, "[con_id=11] kill")));
    }
    {
        // Outside the table: only the new window of a process in the folder opener's session (a
        // child in a session of its own, as the opener is) whose title names the folder.
        const SessionLeader opener;
        const QByteArray own = QByteArray::number(opener.pid());
        posix::OpenerSessions openers;
        openers.add("/opt/Quorvel/taro", opener.pid());
        const QByteArray before = R"({"id":3,"type":"workspace","nodes":[
            {"id":21,"type":"con","name":"Xfe - /opt/Quorvel/taro","app_id":"xfe","pid":)" +
                                  own + R"(,"nodes":[]}]})";
        const QByteArray after = R"({"id":3,"type":"workspace","nodes":[
            {"id":21,"type":"con","name":"Xfe - /opt/Quorvel/taro","app_id":"xfe","pid":)" +
                                 own +
                                 R"(,"nodes":[]},
            {"id":22,"type":"con","name":"/opt/Quorvel/taro2","app_id":"xfe","pid":)" +
                                 own +
                                 R"(,"nodes":[]},
            {"id":23,"type":"con","name":"/opt/Quorvel/taro","app_id":"xfe","pid":1073741823,"nodes":[]},
            {"id":24,"type":"con","name":"/opt/Quorvel/taro","app_id":"xfe","nodes":[]},
            {"id":20,"type":"con","name":"/opt/Quorvel/taro","app_id":"xfe","pid":)" +
                                 own + R"(,"nodes":[]}]})";
        ScriptedSocket sway({treeReply(before), treeReply(after),
                             i3ipc::encodeMessage(i3ipc::kRunCommand, R"([{"success":true}])")});
        SwayIpcWindows windows(sway.path().toStdString(), 2000ms, &openers);
        windows.noteWindowsBeforeOpen(folder("taro"));
        EXPECT_TRUE(windows.closeFolderWindow(folder("taro")));
        std::this_thread::sleep_for(100ms);
        EXPECT_THAT(sway.requests(),
                    ElementsAre(i3ipc::encodeMessage(i3ipc::kGetTree, ""),
                                i3ipc::encodeMessage(i3ipc::kGetTree, ""),
                                i3ipc::encodeMessage(i3ipc::kRunCommand, "[con_id=20] kill")));
    }
    {
        ScriptedSocket sway({treeReply(kTree)});
        EXPECT_FALSE(
            SwayIpcWindows(sway.path().toStdString(), 2000ms).closeFolderWindow(folder("nobody")));
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(sway.requests().size(), 1u) << "no command without a window of that title";
    }
    // Silent, a broken header, a length it never sends: each ends within the patience.
    for (const QByteArray& reply : {QByteArray(), QByteArray("i3-ipc\xff\xff\xff\xff\4\0\0\0", 14),
                                    treeReply(kTree).chopped(10)}) {
        ScriptedSocket sway({reply});
        QElapsedTimer took;
        took.start();
        EXPECT_FALSE(
            SwayIpcWindows(sway.path().toStdString(), 300ms).closeFolderWindow(folder("taro")));
        EXPECT_LT(took.elapsed(), 3000) << "never waits far past its patience";
        EXPECT_EQ(sway.requests().size(), 1u);
    }
    QTemporaryDir empty;
    EXPECT_FALSE(SwayIpcWindows(empty.filePath("none.sock").toStdString(), 300ms)
                     .closeFolderWindow(folder("taro")));
    EXPECT_FALSE(SwayIpcWindows(std::string(), 300ms).closeFolderWindow(folder("taro")));
}

}  // namespace
}  // namespace quorvel::runtime::qt
