// Win32 controls behind the portable control interfaces.
#pragma once

#include "platform/controls.h"
#include "platform/win32/win32.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace talvex::win32 {

// True while the program itself changes a control: the notifications that change raises are
// not user actions and must not reach the handlers.
bool ProgramIsChangingControls();

class ProgrammaticChange {
  public:
    ProgrammaticChange();
    ~ProgrammaticChange();
    ProgrammaticChange(const ProgrammaticChange&) = delete;
    ProgrammaticChange& operator=(const ProgrammaticChange&) = delete;
};

class Win32Control : public virtual Control {
  public:
    explicit Win32Control(HWND hwnd = nullptr) : hwnd_(hwnd) {}
    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    HWND hwnd() const { return hwnd_; }

    std::string Text() const override;
    void SetText(const std::string& text) override;
    bool Enabled() const override;
    void SetEnabled(bool enabled) override;
    void BringToFront() override;
    bool Visible() const override;
    void SetVisible(bool visible) override;

  protected:
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

  private:
    HWND hwnd_;
};

// The messages that differ between a list box and a combo box.
struct ListMessages {
    UINT add, remove, count, textLength, text, getSelection, setSelection;
};
extern const ListMessages kListBoxMessages;
extern const ListMessages kComboBoxMessages;

class Win32List : public Win32Control, public ListControl {
  public:
    explicit Win32List(const ListMessages& messages) : messages_(messages) {}
    void AddItem(const std::string& item) override;
    void RemoveItem(int index) override;
    int ListCount() const override;
    std::string List(int index) const override;
    int ListIndex() const override;
    void SetListIndex(int index) override;

  private:
    const ListMessages& messages_;
};

class Win32UpDown : public Win32Control, public UpDown {
  public:
    int Value() const override;
    void SetValue(int value) override;
};

// --- Driver settings pages ---

// A three-state BUTTON (BS_3STATE): the program sets any state; a user's click is turned into the
// next state by Click before the page's handler runs.
class Win32CheckBox : public Win32Control, public CheckBox {
  public:
    int Value() const override;
    void SetValue(int value) override;
    // A user's click: unchecked becomes checked, checked or grayed unchecked.
    void Click();
};

// An EDIT control. Every typed character goes through the key filter, which may replace it by 0
// to cancel it; the balloon tip is a tracking tooltip of its own (EM_SHOWBALLOONTIP shows
// nothing under Wine), hidden when the box loses the focus.
class Win32TextBox : public Win32Control, public TextBox {
  public:
    using KeyFilter = std::function<void(int& key)>;
    ~Win32TextBox() override;
    // Subclasses the edit control; call once it exists. A fixed text also refuses paste, cut,
    // clear, undo and Delete, for the edit field of a list that only picks entries.
    void Subclass(KeyFilter filter = {}, bool fixedText = false);
    bool ReadOnly() const override;
    void ShowBalloonTip(const std::string& title, const std::string& text) override;
    void HideBalloonTip() override;
    bool HasBorder() const override;
    void RemoveBorder() override;
    HWND tooltip() const { return tooltip_.get(); }

  private:
    static LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);
    TOOLINFOA Tool() const;

    KeyFilter filter_;
    bool fixedText_ = false;
    ScopedWindow tooltip_;
    bool subclassed_ = false;
};

class Win32TabStrip : public Win32Control, public TabStrip {
  public:
    bool TabSelected(int tab) const override;
};

// --- Diagnostics ---

// A report-view list view with checkboxes. The sub-items are kept here, as the logic builds
// them, and shown in the columns after the caption. Each item's info tip is a tool of a tooltip
// control of the list's own over the item's row: Wine's list view never asks for info tips
// (LVN_GETINFOTIP), a tooltip control shows on Windows and Wine alike.
class Win32ListView : public Win32Control, public ListView {
  public:
    // Report view with checkboxes and tips, and the columns' captions and widths in pixels.
    void SetUp(std::initializer_list<std::pair<const char*, int>> columns);
    void AddItem(const std::string& caption, bool checked) override;
    int ItemCount() const override;
    std::string ItemText(int item) const override;
    bool Checked(int item) const override;
    void SetChecked(int item, bool checked) override;
    int SubItemCount(int item) const override;
    std::string SubItem(int item, int subItem) const override;
    void ClearSubItems(int item) override;
    void RemoveSubItem(int item, int subItem) override;
    void AddSubItem(int item, const std::string& text) override;
    std::string InfoTip(int item) const override;
    void SetInfoTip(int item, const std::string& tip) override;
    void Refresh() override;

  private:
    struct Item {
        std::vector<std::string> subItems;
        std::string tip;
    };
    Item* Find(int item);
    const Item* Find(int item) const;
    void ShowSubItems(int item);
    void ShowTip(int item);

    std::vector<Item> items_;
    int columns_ = 1;
    ScopedWindow tips_;
};

// --- The General and Support pages ---

// --- end of the General and Support pages ---

class Win32MenuItem : public MenuItem {
  public:
    Win32MenuItem(HMENU menu, UINT id) : menu_(menu), id_(id) {}
    UINT id() const { return id_; }
    std::string Caption() const override;
    void SetCaption(const std::string& caption) override;

  private:
    HMENU menu_;
    UINT id_;
};

} // namespace talvex::win32
