// SPDX-License-Identifier: MIT
#include "runtime/form.h"

#include "runtime/mouse_messages.h"

namespace quorvel::runtime {

Form::Form(Runtime& runtime, FormDescription description)
    : runtime_(runtime), description_(std::move(description)) {}

Form::~Form() {
    if (window_) {
        runtime_.forms.remove(window_->handle());
    }
}

void Form::load() {
    if (window_) {
        return;
    }
    window_ = runtime_.windows.createWindow(description_, *this);
    runtime_.forms.add(window_->handle(), weak_from_this());
    Form_Load();
}

void Form::show() {
    load();
    if (window_) {
        window_->setVisible(true);
    }
}

void Form::unload(std::int16_t unloadMode) {
    if (!window_ || unloading_) {
        return;
    }
    const auto keepAlive = shared_from_this();
    unloading_ = true;
    std::int16_t cancel = 0;
    Form_QueryUnload(cancel, unloadMode);
    if (cancel == 0) {
        Form_Unload(cancel);
    }
    unloading_ = false;
    if (cancel != 0 || !window_) {
        return;
    }
    const WindowHandle handle = window_->handle();
    window_.reset();
    runtime_.forms.remove(handle);
}

void Form::setVisible(bool visible) {
    if (window_) {
        window_->setVisible(visible);
    }
}

WindowHandle Form::hWnd() const {
    return window_ ? window_->handle() : 0;
}

IconHandle Form::icon() const {
    return window_ ? window_->icon() : 0;
}

void Form::windowMessage(std::uint32_t message, std::uint32_t /*wParam*/, std::uint32_t lParam) {
    if (message != WM_MBUTTONDOWN) {
        return;
    }
    const auto pixels = static_cast<float>(lParam & 0xFFFFu);
    const float x = scaleMode_ == vbPixels
                        ? pixels
                        : pixels * static_cast<float>(runtime_.windows.twipsPerPixelX());
    Form_MouseDown(vbMiddleButton, 0, x, 0.0f);
}

void Form::controlClicked(const std::string& name, int index) {
    const auto keepAlive = shared_from_this();
    Control_Click(name, index);
}

void Form::closeRequested() {
    unload(vbFormControlMenu);
}

}  // namespace quorvel::runtime
