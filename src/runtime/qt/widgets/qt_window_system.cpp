// SPDX-License-Identifier: MIT
#include "runtime/qt/widgets/qt_window_system.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "runtime/qt/widgets/qt_popup_menu.h"
#include "runtime/qt/widgets/qt_window.h"
#include "runtime/qt/widgets/twips.h"

namespace quorvel::runtime::qt {

namespace {

double logicalDotsPerInch() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return dpi > 0.0 ? dpi : 96.0;
}

}  // namespace

std::unique_ptr<NativeWindow> QtWindowSystem::createWindow(const FormDescription& description,
                                                           WindowEvents& events) {
    return std::make_unique<QtWindow>(nextHandle_++, description, logicalDotsPerInch(), events);
}

std::unique_ptr<PopupMenu> QtWindowSystem::createMenu(std::vector<MenuItem> items) {
    return std::make_unique<QtPopupMenu>(std::move(items));
}

int QtWindowSystem::twipsPerPixelX() const {
    return std::max(1, static_cast<int>(std::lround(kTwipsPerInch / logicalDotsPerInch())));
}

void QtWindowSystem::setForegroundWindow(WindowHandle /*window*/) {
    // The main window is never shown; a Qt popup menu takes the input focus by itself.
}

}  // namespace quorvel::runtime::qt
