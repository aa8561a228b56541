// One run of the program's store, without its windows: loads the table from the user's store as
// the program does, changes one URL as the editor's OK would, then saves as OK and as 終了 do, in
// the order given. Prints one line per save: "ok saved", "quit failed: <details>"...
//   quorvel_store_session STEPS ROW LENGTH
//       STEPS: ok, quit, or both ("ok,quit"); the URL of bookmark ROW becomes
//       "http://fill.quorvel.example/" followed by LENGTH times "x".
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <string>

#include "bookmarks/bookmark_store.h"
#include "runtime/qt/qt_settings_store.h"

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
        const bool saved =
            bookmarks::saveBookmarks(table, stored, store, messages,
                                     atQuit ? "Quorvel 終了エラー" : "Quorvel エラー") !=
            bookmarks::SaveResult::Failed;
        std::printf("%s %s%s\n", qPrintable(step),
                    saved ? "saved" : "failed: ", messages.details_.c_str());
    }
    return 0;
}
