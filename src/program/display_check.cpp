// SPDX-License-Identifier: MIT
#include "program/display_check.h"

#include <algorithm>
#include <cstdlib>
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

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

// "the X display ':1' refuses the connection: <what it said>", "... does not answer".
std::string unreached(const std::string& display, const runtime::DisplayAnswer& answer) {
    if (answer.kind == runtime::DisplayAnswer::Kind::Silent) {
        return display + " does not answer";
    }
    return display + " refuses the connection" + (answer.said.empty() ? "" : ": " + answer.said);
}

}  // namespace

DisplaySetting displaySettingOfEnvironment() {
    return {environment("QT_QPA_PLATFORM"), environment("DISPLAY"), environment("WAYLAND_DISPLAY"),
            std::getenv("WAYLAND_SOCKET") != nullptr};
}

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
    using Kind = runtime::DisplayAnswer::Kind;
    const runtime::DisplayAnswer notTried{Kind::Refused, {}};
    for (const std::string& name : names) {
        runtime::DisplayAnswer answer;
        if (name == "xcb") {
            answer = hasX11 ? reach.x11() : notTried;
            if (answer.kind != Kind::Answered) {
                because(hasX11 ? unreached("the X display " + quoted(setting.x11Display), answer)
                               : "DISPLAY is not set");
            }
        } else if (name.rfind("wayland", 0) == 0) {
            // Asked for by name, Wayland has a default socket; otherwise it needs naming.
            answer = hasWayland || asked ? reach.wayland() : notTried;
            if (answer.kind != Kind::Answered) {
                because(
                    hasWayland
                        ? unreached("the Wayland display " + quoted(setting.waylandDisplay), answer)
                        : "WAYLAND_DISPLAY is not set");
            }
        }
        if (answer.kind == Kind::Answered) {
            return std::nullopt;
        }
        if (answer.kind == Kind::Silent) {
            break;
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

std::string silentX11Problem(const DisplaySetting& setting) {
    using runtime::DisplayAnswer;
    return displayProblem(setting, {[] {
                                        return DisplayAnswer{DisplayAnswer::Kind::Silent, {}};
                                    },
                                    [] {
                                        return DisplayAnswer{DisplayAnswer::Kind::Refused, {}};
                                    }})
        .value_or("");
}

}  // namespace quorvel
