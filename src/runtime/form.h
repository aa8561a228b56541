// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/form_description.h"
#include "runtime/runtime.h"

namespace quorvel::runtime {

inline constexpr std::int16_t vbTwips = 1;
inline constexpr std::int16_t vbPixels = 3;

// Why a form is unloaded.
inline constexpr std::int16_t vbFormControlMenu = 0;
inline constexpr std::int16_t vbFormCode = 1;
inline constexpr std::int16_t vbAppWindows = 2;
inline constexpr std::int16_t vbAppTaskManager = 3;

// A window class: its design-time description, its load/unload life cycle and its events.
// Forms are held by std::shared_ptr; every event dispatch keeps the form alive until the handler
// returns, so a handler may clear the last reference to its own form.
class Form : public std::enable_shared_from_this<Form>, private WindowEvents {
  public:
    Form(Runtime& runtime, FormDescription description);
    ~Form() override;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Builds the window and raises Form_Load, once; does nothing when already loaded.
    void load();
    // Loads when needed, then shows the window, modeless and without owner.
    void show();
    // Raises Form_QueryUnload and Form_Unload, then destroys the window. Does nothing when the
    // form is not loaded or its unload is already under way.
    void unload(std::int16_t unloadMode = vbFormCode);

    bool loaded() const { return window_ != nullptr; }
    // Between the start of an unload and the destruction of the window.
    bool unloading() const { return unloading_; }
    void setVisible(bool visible);
    WindowHandle hWnd() const;
    IconHandle icon() const;
    std::int16_t scaleMode() const { return scaleMode_; }

    // A window message from the platform. The tray's callback message is a middle-button press
    // whose X is the carried number taken as pixels.
    void windowMessage(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam);

  protected:
    virtual void Form_Load() {}
    virtual void Form_MouseDown(std::int16_t /*Button*/, std::int16_t /*Shift*/, float /*X*/,
                                float /*Y*/) {}
    virtual void Form_QueryUnload(std::int16_t& /*Cancel*/, std::int16_t /*UnloadMode*/) {}
    virtual void Form_Unload(std::int16_t& /*Cancel*/) {}
    virtual void Control_Click(const std::string& /*name*/, int /*index*/) {}

    Runtime& runtime() const { return runtime_; }
    NativeWindow* window() const { return window_.get(); }

  private:
    void controlClicked(const std::string& name, int index) override;
    void closeRequested() override;

    Runtime& runtime_;
    FormDescription description_;
    std::unique_ptr<NativeWindow> window_;
    std::int16_t scaleMode_ = vbTwips;
    bool unloading_ = false;
};

}  // namespace quorvel::runtime
