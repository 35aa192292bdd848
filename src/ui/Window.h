// Base of every window's logic. A window owns its control states (as members, registered here in
// construction order), knows its caption and size, and receives the window-level events: load,
// key preview (the window sees keys before its controls; setting the key to 0 swallows it),
// resize and unload. Showing and closing go through the current Toolkit.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace ui {

class Control;

class Window {
public:
    Window(std::string name, std::string caption);
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    const std::string& Name() const { return name_; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string c);

    // Events, raised by the toolkit.
    virtual void OnLoad() {}
    virtual void OnKeyDown(int& /*key*/, int /*shift*/) {}
    virtual void OnResize() {}
    // The operator asks to close the window (its close box); false keeps it open.
    virtual bool OnQueryUnload() { return true; }
    virtual void OnUnload() {}

    // Shows the window modally; returns after it has been unloaded.
    void ShowModal();
    // Unloads the window (its OnUnload runs, then ShowModal returns).
    void Close();
    bool IsShown() const { return shown_; }

    // Inner size in twips (15 per pixel), kept up to date by the view.
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetSize(int w, int h) { width_ = w; height_ = h; }
    int DesignWidth() const { return designWidth_; }
    int DesignHeight() const { return designHeight_; }

    const std::vector<Control*>& Controls() const { return controls_; }
    Control* Find(const std::string& name) const;
    Control* Focused() const { return focused_; }
    void SetFocus(Control& c);
    // SetFocus where the focus is a courtesy (a window's first field): a toolkit that cannot move
    // it now leaves it where it is.
    void OfferFocus(Control& c) noexcept;
    // Moves the focus to the next (or previous) control in tab order, as a Tab keystroke would.
    void SendTab(bool backwards = false);
    // The control a Tab (or Shift+Tab) from the focused control reaches.
    Control* NextInTabOrder(bool backwards) const;

    // Bookkeeping for toolkits.
    void MarkShown(bool shown) { shown_ = shown; }
    void NoteFocus(Control* c) { focused_ = c; }
    void Register(Control* c) { controls_.push_back(c); }
    // Observers of the caption (for views).
    void SubscribeCaption(std::function<void()> o) { captionObservers_.push_back(std::move(o)); }
    void ClearCaptionObservers() { captionObservers_.clear(); }

protected:
    void SetDesignSize(int w, int h) { designWidth_ = width_ = w; designHeight_ = height_ = h; }

private:
    std::string name_;
    std::string caption_;
    std::vector<Control*> controls_;
    std::vector<std::function<void()>> captionObservers_;
    Control* focused_ = nullptr;
    bool shown_ = false;
    int width_ = 0, height_ = 0, designWidth_ = 0, designHeight_ = 0;
};

// A window that Esc closes: the tool dialogs over the editor and the browser.
class Dialog : public Window {
public:
    using Window::Window;
    void OnKeyDown(int& key, int shift) override;
};

}  // namespace ui
