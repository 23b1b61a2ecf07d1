// The controls the window logic works with: exactly what the pages use. Win32 implementations
// live in platform/win32, in-memory ones in platform/memory.
//
// Event rule: a change made through these interfaces raises no event handler. Where a change
// must run a handler, the logic calls the handler itself.
#pragma once

#include <cstdint>
#include <string>

namespace talvex {

class Control {
  public:
    virtual ~Control() = default;
    virtual std::string Text() const = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    // Puts the control on top of its siblings' z-order; pages and overlapping editors are
    // switched this way, never by hiding.
    virtual void BringToFront() = 0;
    // Shown or hidden: for a control that has a use only now and then (the General page's
    // confirm button), never for switching pages or editors.
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
};

// A list box or combo box. Indexes count from 0; ListIndex is -1 when nothing is selected.
class ListControl : public virtual Control {
  public:
    virtual void AddItem(const std::string& item) = 0;
    virtual void RemoveItem(int index) = 0;
    virtual int ListCount() const = 0;
    virtual std::string List(int index) const = 0;
    virtual int ListIndex() const = 0;
    virtual void SetListIndex(int index) = 0;
};

// An up-down (spin) control with a fixed range. Its buddy text box is a control of its own: the
// page's change handler copies the value into it.
class UpDown : public virtual Control {
  public:
    virtual int Value() const = 0;
    // A value outside the range is clamped into it.
    virtual void SetValue(int value) = 0;
};

// --- Driver settings pages ---

// A check box with three states: 0 unchecked, 1 checked, 2 grayed.
class CheckBox : public virtual Control {
  public:
    virtual int Value() const = 0;
    virtual void SetValue(int value) = 0;
};

// A text box. Which keys it takes is decided by its page's KeyPress handler, which the window
// calls for every typed character. The balloon tip points at the box until it is hidden, the box
// loses the focus or the window goes away.
class TextBox : public virtual Control {
  public:
    virtual bool ReadOnly() const = 0;
    virtual void ShowBalloonTip(const std::string& title, const std::string& text) = 0;
    virtual void HideBalloonTip() = 0;
    // Without its border a box's value reads like a label.
    virtual bool HasBorder() const = 0;
    virtual void RemoveBorder() = 0;
};

// A tab strip whose tabs count from 1.
class TabStrip : public virtual Control {
  public:
    virtual bool TabSelected(int tab) const = 0;
};

class MenuItem {
  public:
    virtual ~MenuItem() = default;
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
};

// --- Diagnostics ---

// A list view in report view whose items carry a checkbox. Items count from 1, as the test
// runner addresses them. Each item's sub-items fill the columns after the caption in order:
// removing one moves the later ones a column to the left, appending fills the next free column.
class ListView : public virtual Control {
  public:
    virtual void AddItem(const std::string& caption, bool checked) = 0;
    virtual int ItemCount() const = 0;
    virtual std::string ItemText(int item) const = 0;
    virtual bool Checked(int item) const = 0;
    virtual void SetChecked(int item, bool checked) = 0;
    virtual int SubItemCount(int item) const = 0;
    // Sub-items count from 1; an empty text for one that doesn't exist.
    virtual std::string SubItem(int item, int subItem) const = 0;
    virtual void ClearSubItems(int item) = 0;
    virtual void RemoveSubItem(int item, int subItem) = 0;
    virtual void AddSubItem(int item, const std::string& text) = 0;
    // The text shown when the pointer rests on the item; empty for none.
    virtual std::string InfoTip(int item) const = 0;
    virtual void SetInfoTip(int item, const std::string& tip) = 0;
    // Repaints the list now.
    virtual void Refresh() = 0;
};

// --- The General and Support pages ---

// A picture the program draws itself. Its one flag draws it highlighted; the General page keeps
// its banner plain by clearing the flag whenever the page is shown.
class Picture : public virtual Control {
  public:
    virtual bool Highlighted() const = 0;
    virtual void SetHighlighted(bool highlighted) = 0;
};

// --- end of the General and Support pages ---

// The main window itself.
class FormWindow {
  public:
    virtual ~FormWindow() = default;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    // Opens the tray popup menu at the mouse position with the given item in bold.
    virtual void PopupMenu(MenuItem& defaultItem) = 0;
    // Unloads the window: the program then ends normally.
    virtual void Unload() = 0;
    virtual std::uintptr_t hWnd() const = 0;
};

} // namespace talvex
