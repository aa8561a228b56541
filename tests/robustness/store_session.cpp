// SPDX-License-Identifier: MIT
// One run of the program's store, without its windows: loads the table from the user's store as
// the program does, changes one URL as the editor's OK would, then saves as OK and as 終了 do, in
// the order given. Prints one line per save: "ok saved", "quit failed: <details>"..., each
// followed by the save's time (wall clock and CPU) and the process's peak resident memory
// during it.
//   quorvel_store_session STEPS ROW LENGTH
//       STEPS: ok, quit, or both ("ok,quit"); the URL of bookmark ROW becomes
//       "http://fill.quorvel.example/" followed by LENGTH times "x".
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <cstdio>
#include <ctime>
#include <string>

#include "bookmarks/bookmark_store.h"
#include "runtime/qt/store/qt_settings_store.h"

namespace {

class PrintedMessages final : public quorvel::runtime::MessageBox {
  public:
    using MessageBox::show;
    void show(const std::string& /*text*/, int /*style*/, const std::string& /*title*/,
              const std::string& details) override {
        details_ = details;
    }
    std::string details_;
};

long long cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The peak resident memory since the last reset, in kB.
long long peakKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return -1;
}

void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) {
        clear.write("5");
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    bool rowOk = false;
    bool lengthOk = false;
    const int row = args.size() == 4 ? args[2].toInt(&rowOk) : -1;
    const int length = args.size() == 4 ? args[3].toInt(&lengthOk) : -1;
    if (!rowOk || !lengthOk || row < 0 || row > 4 || length < 0) {
        std::fprintf(stderr, "usage: quorvel_store_session ok|quit|ok,quit ROW LENGTH\n");
        return 2;
    }
    namespace bookmarks = quorvel::bookmarks;
    quorvel::runtime::qt::QtSettingsStore store;
    PrintedMessages messages;
    bookmarks::BookmarkTable table;
    bookmarks::BookmarkTable stored;
    bookmarks::LoadUrlFromReg(table, stored, store);
    table.UrlAddress[static_cast<std::size_t>(row)] =
        "http://fill.quorvel.example/" + std::string(static_cast<std::size_t>(length), 'x');
    for (const QString& step : args[1].split(QLatin1Char(','))) {
        const bool atQuit = step == QLatin1String("quit");
        messages.details_.clear();
        resetPeak();
        QElapsedTimer took;
        took.start();
        const long long cpuBefore = cpuMs();
        const bool saved =
            bookmarks::saveBookmarks(table, stored, store, messages,
                                     atQuit ? "Quorvel 終了エラー" : "Quorvel エラー") !=
            bookmarks::SaveResult::Failed;
        std::printf("%s %s%s (%lld ms, cpu %lld ms, peak %lld kB)\n", qPrintable(step),
                    saved ? "saved" : "failed: ", messages.details_.c_str(), took.elapsed(),
                    cpuMs() - cpuBefore, peakKb());
    }
    return 0;
}
