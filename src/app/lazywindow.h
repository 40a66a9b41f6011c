// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace qv {

// Controls made on first need. Every secondary window exists from start, but
// most are never opened in a run, and their controls (widgets, layouts, the
// skin's style rules for each) are nearly all they cost at rest. So a window
// makes its controls when it is first shown or a control is first reached,
// under the skin of that moment: the skin lives on the application, and new
// widgets take it up as they are polished.
class LazyControls {
public:
    // Makes the controls, once.
    void ensureBuilt() {
        if (built_)
            return;
        built_ = true;
        build();
    }
    bool built() const { return built_; }

protected:
    LazyControls() = default;
    ~LazyControls() = default;
    LazyControls(const LazyControls&) = delete;
    LazyControls& operator=(const LazyControls&) = delete;

    // Makes the controls; built() is true already, so reaching a control in
    // here does not start it again.
    virtual void build() = 0;

private:
    bool built_ = false;
};

// A control of such a window: null until the window makes it, and reaching it
// (->, *, or as a pointer) makes the window's controls first. A handler or a
// test that reaches a control of a window never shown thus finds it.
template <class T> class Control {
public:
    explicit Control(LazyControls& window) : window_(window) {}

    // For the window's build(): the control it made.
    Control& operator=(T* control) {
        control_ = control;
        return *this;
    }

    T* get() const {
        window_.ensureBuilt();
        return control_;
    }
    T* operator->() const { return get(); }
    T& operator*() const { return *get(); }
    operator T*() const { return get(); }

private:
    LazyControls& window_;
    T* control_ = nullptr;
};

// A top-level window (QWidget or a subclass) whose controls are made on
// first need, at the latest when it is shown. The window itself, its caption,
// flags and font, and what its creation does, stay with its constructor.
template <class Window> class LazyWindow : public Window, public LazyControls {
public:
    void setVisible(bool visible) override {
        if (visible)
            ensureBuilt();
        Window::setVisible(visible);
    }

protected:
    using Window::Window;
};

} // namespace qv
