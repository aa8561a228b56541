// SPDX-License-Identifier: MIT
// Calls to the exported D-Bus objects (the StatusNotifier item and its menu) as any client on
// the session bus may make them: any path, interface, member and signature, any values within
// the protocol's rules, several at once. The objects are served on a peer connection in this
// process; libdbus builds the messages from the input.
#include <dbus/dbus.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusServer>
#include <QElapsedTimer>
#include <QIcon>
#include <QPixmap>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>

#include "fuzz_check.h"
#include "runtime/qt/tray/status_notifier_item.h"
#include "runtime/qt/widgets/qt_popup_menu.h"

using namespace quorvel::runtime;
using namespace quorvel::runtime::qt;

namespace {

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return size_ == 0; }
    std::uint8_t byte() { return size_ == 0 ? 0 : (--size_, *data_++); }
    std::string bytes(std::size_t count) {
        std::string out;
        while (count-- > 0 && size_ > 0) {
            out += static_cast<char>(byte());
        }
        return out;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// A complete type, at most `depth` containers deep.
std::string completeType(Input& in, int depth) {
    static const std::string basic = "ybnqiuxtdsog";
    const int kind = in.byte() % 16;
    if (kind < 12 || depth == 0) {
        return {basic[static_cast<std::size_t>(kind % 12)]};
    }
    if (kind == 12) {
        return "v";
    }
    if (kind == 13) {
        return "a" + completeType(in, depth - 1);
    }
    if (kind == 14) {
        return "a{" + completeType(in, 0) + completeType(in, depth - 1) + "}";
    }
    std::string fields = "(";
    for (int n = 1 + in.byte() % 4; n > 0; --n) {
        fields += completeType(in, depth - 1);
    }
    return fields + ")";
}

void appendValue(DBusMessageIter* to, DBusSignatureIter* type, Input& in, int depth);

void appendAll(DBusMessageIter* to, const std::string& signature, Input& in, int depth) {
    DBusSignatureIter type;
    dbus_signature_iter_init(&type, signature.c_str());
    do {
        appendValue(to, &type, in, depth);
    } while (dbus_signature_iter_next(&type));
}

void appendValue(DBusMessageIter* to, DBusSignatureIter* type, Input& in, int depth) {
    const int code = dbus_signature_iter_get_current_type(type);
    DBusMessageIter inner;
    DBusSignatureIter innerType;
    switch (code) {
        case DBUS_TYPE_STRING: {
            // Valid UTF-8 without NULs, as the protocol demands.
            const std::string text =
                QString::fromUtf8(in.bytes(in.byte() % 64)).remove(QChar(0)).toStdString();
            const char* value = text.c_str();
            dbus_message_iter_append_basic(to, code, &value);
            return;
        }
        case DBUS_TYPE_OBJECT_PATH: {
            std::string path;
            for (int n = in.byte() % 3; n > 0; --n) {
                path += "/p" + std::to_string(in.byte() % 4);
            }
            path = path.empty() ? "/" : path;
            const char* value = path.c_str();
            dbus_message_iter_append_basic(to, code, &value);
            return;
        }
        case DBUS_TYPE_SIGNATURE: {
            const std::string signature = completeType(in, 2);
            const char* value = signature.c_str();
            dbus_message_iter_append_basic(to, code, &value);
            return;
        }
        case DBUS_TYPE_VARIANT: {
            const std::string signature = depth > 0 ? completeType(in, 2) : "i";
            dbus_message_iter_open_container(to, code, signature.c_str(), &inner);
            appendAll(&inner, signature, in, depth - 1);
            dbus_message_iter_close_container(to, &inner);
            return;
        }
        case DBUS_TYPE_ARRAY: {
            dbus_signature_iter_recurse(type, &innerType);
            char* element = dbus_signature_iter_get_signature(&innerType);
            dbus_message_iter_open_container(to, code, element, &inner);
            for (int n = in.byte() % 4; n > 0 && !in.empty(); --n) {
                appendAll(&inner, element, in, depth - 1);
            }
            dbus_free(element);
            dbus_message_iter_close_container(to, &inner);
            return;
        }
        case DBUS_TYPE_STRUCT:
        case DBUS_TYPE_DICT_ENTRY: {
            dbus_signature_iter_recurse(type, &innerType);
            dbus_message_iter_open_container(to, code, nullptr, &inner);
            do {
                appendValue(&inner, &innerType, in, depth - 1);
            } while (dbus_signature_iter_next(&innerType));
            dbus_message_iter_close_container(to, &inner);
            return;
        }
        default: {
            DBusBasicValue value{};
            const std::string raw = in.bytes(8);
            std::copy(raw.begin(), raw.end(), reinterpret_cast<char*>(&value));
            if (code == DBUS_TYPE_BOOLEAN) {
                value.bool_val = value.byt & 1;
            }
            dbus_message_iter_append_basic(to, code, &value);
        }
    }
}

// The program's menu, whose 終了 takes the item and the menu away as the program's does.
struct Objects {
    QDBusConnection connection{QString()};
    std::unique_ptr<QtPopupMenu> menu;
    std::unique_ptr<StatusNotifierItem> item;

    void make() {
        if (item) {
            return;
        }
        std::vector<MenuItem> items;
        for (int i = 1; i <= 5; ++i) {
            // A bookmark's command also renames the others, as the editor's OK does.
            items.push_back({"Url", "URL " + std::to_string(i), [this, i] {
                                 for (std::size_t j = 0; j < 5; ++j) {
                                     menu->setCaption(j, "b" + std::to_string(i + j));
                                 }
                             }});
        }
        items.push_back({"menuLine1", kSeparatorCaption, nullptr});
        items.push_back({"EditURL", "URL編集", [] {}});
        items.push_back({"ShowInfo", "ヘルプ", [] {}});
        items.push_back({"menuLine3", kSeparatorCaption, nullptr});
        items.push_back({"QuitMe", "終了", [this] {
                             item.reset();
                             menu.reset();
                         }});
        menu = std::make_unique<QtPopupMenu>(std::move(items));
        QPixmap image(16, 16);
        image.fill(Qt::red);
        item = std::make_unique<StatusNotifierItem>(connection, QIcon(image),
                                                    QStringLiteral("Quorvel"), menu->menu(), 1,
                                                    [](std::uint32_t) {});
    }
};

struct Session {
    std::unique_ptr<QApplication> app;
    std::unique_ptr<QDBusServer> server;
    DBusConnection* client = nullptr;
    Objects objects;
};

Session* session = nullptr;

// Runs both ends until `done`, for five seconds at most.
template <typename Done>
void pump(Done done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        dbus_connection_read_write(session->client, 1);
    }
}

const char* const kPaths[] = {"/StatusNotifierItem", "/MenuBar", "/", "/MenuBar/x"};
const char* const kInterfaces[] = {
    "org.kde.StatusNotifierItem",      "com.canonical.dbusmenu",
    "org.freedesktop.DBus.Properties", "org.freedesktop.DBus.Introspectable",
    "org.freedesktop.DBus.Peer",       nullptr};
const char* const kMembers[] = {"Activate",
                                "SecondaryActivate",
                                "ContextMenu",
                                "Scroll",
                                "ProvideXdgActivationToken",
                                "GetLayout",
                                "GetGroupProperties",
                                "GetProperty",
                                "Event",
                                "EventGroup",
                                "AboutToShow",
                                "AboutToShowGroup",
                                "Get",
                                "GetAll",
                                "Set",
                                "Introspect",
                                "Ping",
                                "Other"};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    session = new Session;
    session->app = std::make_unique<QApplication>(*argc, *argv);
    session->server = std::make_unique<QDBusServer>();
    QObject::connect(
        session->server.get(), &QDBusServer::newConnection,
        [](const QDBusConnection& connection) { session->objects.connection = connection; });
    session->client =
        dbus_connection_open_private(session->server->address().toUtf8().constData(), nullptr);
    check(session->client != nullptr);
    pump([] { return session->objects.connection.isConnected(); });
    check(session->objects.connection.isConnected());
    return 0;
}

// Input, per call while it lasts (at most eight, all sent before any answer is read): path,
// interface, member, then either a signature given as text (first bit set, length in the
// low six bits) or a count of generated arguments, then the values.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    session->objects.make();
    Input in(data, size);
    std::set<dbus_uint32_t> awaited;
    for (int calls = 0; calls < 8 && !in.empty(); ++calls) {
        const char* path = kPaths[in.byte() % std::size(kPaths)];
        const char* interface = kInterfaces[in.byte() % std::size(kInterfaces)];
        const char* member = kMembers[in.byte() % std::size(kMembers)];
        const std::uint8_t shape = in.byte();
        std::string signature;
        if ((shape & 0x80) != 0) {
            signature = in.bytes(shape & 0x3f).c_str();
            // Without file descriptors: a peer connection passes none.
            if (!dbus_signature_validate(signature.c_str(), nullptr) ||
                signature.find('h') != std::string::npos) {
                signature.clear();
            }
        } else {
            for (int n = shape % 5; n > 0; --n) {
                signature += completeType(in, 3);
            }
        }
        DBusMessage* call = dbus_message_new_method_call(nullptr, path, interface, member);
        DBusMessageIter arguments;
        dbus_message_iter_init_append(call, &arguments);
        if (!signature.empty()) {
            appendAll(&arguments, signature, in, 4);
        }
        dbus_uint32_t serial = 0;
        check(dbus_connection_send(session->client, call, &serial));
        awaited.insert(serial);
        dbus_message_unref(call);
    }
    // Every call is answered, the wrong ones with an error; the item's own calls (to the
    // watcher) are refused.
    pump([&awaited] {
        while (DBusMessage* message = dbus_connection_pop_message(session->client)) {
            if (dbus_message_get_type(message) == DBUS_MESSAGE_TYPE_METHOD_CALL) {
                DBusMessage* refusal =
                    dbus_message_new_error(message, DBUS_ERROR_UNKNOWN_METHOD, "no watcher here");
                dbus_connection_send(session->client, refusal, nullptr);
                dbus_message_unref(refusal);
            } else {
                awaited.erase(dbus_message_get_reply_serial(message));
            }
            dbus_message_unref(message);
        }
        return awaited.empty();
    });
    check(awaited.empty());
    return 0;
}
