// SPDX-License-Identifier: MIT
#include "runtime/qt/desktop_windows/kwin_script_windows.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryFile>
#include <QVariantList>
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/qt/desktop_windows/file_manager_titles.h"

namespace quorvel::runtime::qt {

namespace {

using Clock = std::chrono::steady_clock;

const QString kService = QStringLiteral("org.kde.KWin");

// KWin's resourceClass of the file managers' windows: the X11 WM_CLASS class (in either case,
// whichever KWin passes on) or the Wayland app_id. A window of any other class is never the
// folder's.
constexpr std::string_view kFileManagerClasses[] = {
    "thunar",  "Thunar",  "pcmanfm",        "Pcmanfm",  "pcmanfm-qt", "caja",
    "Caja",    "nemo",    "Nemo",           "nautilus", "Nautilus",   "org.gnome.Nautilus",
    "dolphin", "Dolphin", "org.kde.dolphin"};

std::array<std::string, 3> captionsFor(const std::string& name) {
    return {name, name + " - Thunar", name + " \u2014 Dolphin"};
}

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The window loop. KWin appends " <2>" (and on X11 a left-to-right mark) to a caption that
// another window already has; the table holds the captions without it. resourceClass is a
// string in KWin 5.27, a byte array (ArrayBuffer) in some other versions. KWin 6 renamed
// clientList() to windowList().
// A window of the folder's opener may have any caption that names the folder, which no table of
// captions can hold: namesAsPart repeats titleNamesFolder's rule here, where the caption is.
// The opener's session also stands for "made after the open": a window that was there before
// cannot belong to a session that the open started.
constexpr char kLoop[] = R"(
function text(value) {
    if (typeof value === "string") return value;
    var bytes = new Uint8Array(value), s = "";
    for (var i = 0; i < bytes.length; ++i) s += String.fromCharCode(bytes[i]);
    return s;
}
function shows(caption, cls) {
    for (var i = 0; i < table.pairs.length; ++i) {
        if (table.pairs[i][0] === caption && table.pairs[i][1] === cls) return true;
    }
    return false;
}
function endsWith(caption, tail) {
    return caption.length >= tail.length && caption.slice(caption.length - tail.length) === tail;
}
function namesAsPart(caption, name) {
    if (name === "") return false;
    return caption === name || caption.indexOf(name + " - ") === 0 ||
        endsWith(caption, " - " + name) || caption.indexOf(" - " + name + " - ") >= 0;
}
function openersWindow(caption, pid) {
    if (table.openerPids.indexOf(Number(pid)) < 0) return false;
    for (var i = 0; i < table.names.length; ++i) {
        if (namesAsPart(caption, table.names[i])) return true;
    }
    return false;
}
var windows = workspace.windowList ? workspace.windowList() : workspace.clientList();
for (var i = 0; i < windows.length; ++i) {
    var w = windows[i];
    var caption = String(w.caption).replace(/ <[0-9]+>\u200e?$/, "");
    if (shows(caption, text(w.resourceClass)) || openersWindow(caption, w.pid)) w.closeWindow();
}
})();
)";

}  // namespace

KWinScriptWindows::KWinScriptWindows(const posix::OpenerSessions* openers,
                                     std::chrono::milliseconds patience)
    : openers_(openers), patience_(patience) {}

QByteArray KWinScriptWindows::matchTable(const FolderWindow& folder,
                                         const std::vector<pid_t>& openerProcesses) {
    QJsonArray pairs;
    for (const std::string& caption : captionsFor(folder.name)) {
        for (const std::string_view cls : kFileManagerClasses) {
            if (titleShowsFolder(caption, cls, folder)) {
                pairs.append(QJsonArray{fromUtf8(caption), fromUtf8(cls)});
            }
        }
    }
    QJsonArray pids;
    for (const pid_t pid : openerProcesses) {
        pids.append(static_cast<qint64>(pid));
    }
    const QJsonObject table{
        {QStringLiteral("pairs"), pairs},
        {QStringLiteral("openerPids"), pids},
        {QStringLiteral("names"), QJsonArray{fromUtf8(folder.name), fromUtf8(folder.path)}}};
    QByteArray json = QJsonDocument(table).toJson(QJsonDocument::Compact);
    // JSON leaves these two line separators raw; older script engines end a string at them.
    json.replace("\xe2\x80\xa8", "\\u2028");
    json.replace("\xe2\x80\xa9", "\\u2029");
    return json;
}

QByteArray KWinScriptWindows::closeScript(const FolderWindow& folder,
                                          const std::vector<pid_t>& openerProcesses) {
    return "(function () {\nvar table = " + matchTable(folder, openerProcesses) + ";" + kLoop;
}

bool KWinScriptWindows::closeFolderWindow(const FolderWindow& folder) const {
    // The unload gets its own short share, so that the step as a whole stays within patience_.
    constexpr std::chrono::milliseconds kUnloadPatience(50);
    const Clock::time_point deadline = Clock::now() + patience_ - kUnloadPatience;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    const auto call = [&](QDBusMessage message,
                          Clock::time_point until) -> std::optional<QDBusMessage> {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) {
            return std::nullopt;
        }
        message.setAutoStartService(false);
        QDBusMessage reply = bus.call(message, QDBus::Block, static_cast<int>(left));
        if (reply.type() != QDBusMessage::ReplyMessage) {
            return std::nullopt;
        }
        return reply;
    };
    const auto kwin = [](const QString& path, const QString& interface, const QString& method,
                         const QVariantList& arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, method);
        message.setArguments(arguments);
        return message;
    };

    QDBusMessage hasOwner = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    hasOwner << kService;
    const auto present = call(hasOwner, deadline);
    if (!present || present->arguments().value(0).toBool() != true) {
        return false;
    }
    // QTemporaryFile makes it 0600; KWin runs as this user and reads it by name.
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/quorvel-kwin-XXXXXX.js"));
    const QByteArray script = closeScript(
        folder, openers_ != nullptr ? openers_->processes(folder.path) : std::vector<pid_t>{});
    if (!file.open() || file.write(script) != script.size() || !file.flush()) {
        return false;
    }
    const QString plugin = QFileInfo(file.fileName()).completeBaseName();
    const QString scripting = QStringLiteral("org.kde.kwin.Scripting");

    const auto loaded = call(kwin(QStringLiteral("/Scripting"), scripting,
                                  QStringLiteral("loadScript"), {file.fileName(), plugin}),
                             deadline);
    if (!loaded || loaded->arguments().isEmpty()) {
        return false;
    }
    const int id = loaded->arguments().constFirst().toInt();
    bool ran = false;
    if (id >= 0) {
        // KWin answers run once the script has been evaluated. Its object's path changed
        // between versions.
        for (const QString& path :
             {QStringLiteral("/Scripting/Script%1").arg(id), QStringLiteral("/%1").arg(id)}) {
            if (call(kwin(path, QStringLiteral("org.kde.kwin.Script"), QStringLiteral("run"), {}),
                     deadline)) {
                ran = true;
                break;
            }
        }
    }
    // Also after a failed run: a script left loaded would keep its name taken.
    call(kwin(QStringLiteral("/Scripting"), scripting, QStringLiteral("unloadScript"), {plugin}),
         deadline + kUnloadPatience);
    return ran;
}

}  // namespace quorvel::runtime::qt
