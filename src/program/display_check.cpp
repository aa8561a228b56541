#include "program/display_check.h"

#include <algorithm>
#include <vector>

namespace quorvel {

namespace {

// "wayland;xcb" -> {"wayland", "xcb"}; plugin options after ':' are not part of the name.
std::vector<std::string> platformNames(const std::string& list) {
    std::vector<std::string> names;
    std::string::size_type begin = 0;
    while (begin <= list.size()) {
        const auto end = std::min(list.find(';', begin), list.size());
        std::string name = list.substr(begin, end - begin);
        name = name.substr(0, name.find(':'));
        if (!name.empty()) {
            names.push_back(name);
        }
        begin = end + 1;
    }
    return names;
}

std::string quoted(const std::optional<std::string>& value) {
    return "'" + value.value_or("") + "'";
}

std::string detail(const std::string& refusal) {
    return refusal.empty() ? "" : ": " + refusal;
}

}  // namespace

std::optional<std::string> displayProblem(const DisplaySetting& setting,
                                          const DisplayReach& reach) {
    const bool asked = setting.qpaPlatform && !platformNames(*setting.qpaPlatform).empty();
    // Left to itself the toolkit takes whichever of the two the session has.
    const std::vector<std::string> names =
        asked ? platformNames(*setting.qpaPlatform) : std::vector<std::string>{"xcb", "wayland"};
    const bool hasX11 = setting.x11Display && !setting.x11Display->empty();
    const bool hasWayland =
        setting.waylandSocket || (setting.waylandDisplay && !setting.waylandDisplay->empty());

    std::vector<std::string> reasons;
    const auto because = [&reasons](const std::string& reason) {
        if (std::find(reasons.begin(), reasons.end(), reason) == reasons.end()) {
            reasons.push_back(reason);
        }
    };
    for (const std::string& name : names) {
        if (name == "xcb") {
            const auto refusal = hasX11 ? reach.x11() : DisplayReach::Refusal("");
            if (!refusal) {
                return std::nullopt;
            }
            because(hasX11 ? "the X display " + quoted(setting.x11Display) +
                                 " refuses the connection" + detail(*refusal)
                           : "DISPLAY is not set");
        } else if (name.rfind("wayland", 0) == 0) {
            // Asked for by name, Wayland has a default socket; otherwise it needs naming.
            const auto refusal = hasWayland || asked ? reach.wayland() : DisplayReach::Refusal("");
            if (!refusal) {
                return std::nullopt;
            }
            because(hasWayland ? "the Wayland display " + quoted(setting.waylandDisplay) +
                                     " refuses the connection" + detail(*refusal)
                               : "WAYLAND_DISPLAY is not set");
        } else {
            return std::nullopt;
        }
    }
    std::string line = "quorvel: no display to show the tray icon on (";
    if (asked) {
        line += "QT_QPA_PLATFORM=" + *setting.qpaPlatform + ": ";
    }
    for (std::size_t i = 0; i < reasons.size(); ++i) {
        line += (i == 0 ? "" : ", ") + reasons[i];
    }
    return line + ")\n";
}

}  // namespace quorvel
