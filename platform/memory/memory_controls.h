// In-memory controls for the native tests. They keep state as the Win32 controls do (texts end
// at the first NUL, selection is clamped like a list box's) and raise no events.
#pragma once

#include "platform/controls.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace talvex {

class MemoryControl;

// The sibling z-order of the controls inside one parent; the last entry is in front.
class ZOrder {
  public:
    void Add(const MemoryControl* control) { order_.push_back(control); }
    void BringToFront(const MemoryControl* control);
    const MemoryControl* Front() const { return order_.empty() ? nullptr : order_.back(); }
    int Changes() const { return changes_; }

  private:
    std::vector<const MemoryControl*> order_;
    int changes_ = 0;
};

class MemoryControl : public virtual Control {
  public:
    explicit MemoryControl(ZOrder& siblings, const std::string& text = {});
    std::string Text() const override { return text_; }
    void SetText(const std::string& text) override;
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    void BringToFront() override { siblings_.BringToFront(this); }
    bool InFront() const { return siblings_.Front() == this; }
    bool Visible() const override { return visible_; }
    void SetVisible(bool visible) override { visible_ = visible; }

  private:
    ZOrder& siblings_;
    std::string text_;
    bool enabled_ = true;
    bool visible_ = true;
};

class MemoryList : public MemoryControl, public ListControl {
  public:
    using MemoryControl::MemoryControl;
    void AddItem(const std::string& item) override;
    void RemoveItem(int index) override;
    int ListCount() const override { return static_cast<int>(items_.size()); }
    std::string List(int index) const override;
    int ListIndex() const override { return index_; }
    void SetListIndex(int index) override;

  private:
    std::vector<std::string> items_;
    int index_ = -1;
};

class MemoryUpDown : public MemoryControl, public UpDown {
  public:
    MemoryUpDown(ZOrder& siblings, int minimum, int maximum, int value)
        : MemoryControl(siblings), min_(minimum), max_(maximum), value_(value) {}
    int Value() const override { return value_; }
    void SetValue(int value) override { value_ = std::clamp(value, min_, max_); }
    // What a click on an arrow does before the change handler runs: one step, within the range.
    void Click(int delta) { SetValue(value_ + delta); }

  private:
    int min_, max_, value_;
};

class MemoryTabStrip : public MemoryControl, public TabStrip {
  public:
    MemoryTabStrip(ZOrder& siblings, int tabs) : MemoryControl(siblings), tabs_(tabs) {}
    bool TabSelected(int tab) const override { return tab == selected_; }
    // What a click on a tab does to the strip before its click handler runs.
    void Select(int tab) { selected_ = (tab >= 1 && tab <= tabs_) ? tab : selected_; }

  private:
    int tabs_;
    int selected_ = 1;
};

// --- Driver settings pages ---

class MemoryCheckBox : public MemoryControl, public CheckBox {
  public:
    using MemoryControl::MemoryControl;
    int Value() const override { return value_; }
    void SetValue(int value) override { value_ = value; }
    // What a user's click does before the click handler runs: unchecked becomes checked, checked
    // or grayed unchecked, as in a three-state box's cycle; only the program sets grayed.
    void Click() { value_ = value_ == 0 ? 1 : 0; }

  private:
    int value_ = 0;
};

class MemoryTextBox : public MemoryControl, public TextBox {
  public:
    explicit MemoryTextBox(ZOrder& siblings, const std::string& text = {}, bool readOnly = false)
        : MemoryControl(siblings, text), readOnly_(readOnly) {}
    bool ReadOnly() const override { return readOnly_; }
    void ShowBalloonTip(const std::string& title, const std::string& text) override {
        balloon_ = title + ": " + text;
    }
    void HideBalloonTip() override { balloon_.clear(); }
    bool HasBorder() const override { return border_; }
    void RemoveBorder() override { border_ = false; }
    // The balloon on screen as "title: text", or empty when none is shown.
    const std::string& Balloon() const { return balloon_; }

  private:
    bool readOnly_;
    std::string balloon_;
    bool border_ = true;
};

// --- The General and Support pages ---

// Starts highlighted, so that a test sees whether the program cleared the flag.
class MemoryPicture : public MemoryControl, public Picture {
  public:
    using MemoryControl::MemoryControl;
    bool Highlighted() const override { return highlighted_; }
    void SetHighlighted(bool highlighted) override { highlighted_ = highlighted; }

  private:
    bool highlighted_ = true;
};

// --- end of the General and Support pages ---

class MemoryMenuItem : public MenuItem {
  public:
    explicit MemoryMenuItem(std::string caption) : caption_(std::move(caption)) {}
    std::string Caption() const override { return caption_; }
    void SetCaption(const std::string& caption) override { caption_ = caption; }

  private:
    std::string caption_;
};

// --- Diagnostics ---

class MemoryListView : public MemoryControl, public ListView {
  public:
    using MemoryControl::MemoryControl;
    void AddItem(const std::string& caption, bool checked) override;
    int ItemCount() const override { return static_cast<int>(items_.size()); }
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
    void Refresh() override { ++refreshes_; }

    int refreshes() const { return refreshes_; }

  private:
    struct Item {
        std::string caption;
        bool checked = false;
        std::vector<std::string> subItems;
        std::string tip;
    };
    Item* Find(int item);
    const Item* Find(int item) const;

    std::vector<Item> items_;
    int refreshes_ = 0;
};

class MemoryFormWindow : public FormWindow {
  public:
    bool Visible() const override { return visible_; }
    void SetVisible(bool visible) override { visible_ = visible; }
    void PopupMenu(MenuItem& defaultItem) override;
    void Unload() override { unloaded_ = true; }
    std::uintptr_t hWnd() const override { return 0x1234; }

    bool unloaded() const { return unloaded_; }
    int popups() const { return popups_; }
    std::string popupDefaultCaption() const { return popupDefault_; }

  private:
    bool visible_ = true;
    bool unloaded_ = false;
    int popups_ = 0;
    std::string popupDefault_;
};

} // namespace talvex
