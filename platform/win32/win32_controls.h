// Win32 controls behind the portable control interfaces.
#pragma once

#include "platform/controls.h"
#include "platform/win32/win32.h"

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

class Win32TabStrip : public Win32Control, public TabStrip {
  public:
    bool TabSelected(int tab) const override;
};

// --- The General and Support pages ---

class Win32TextBox : public Win32Control, public TextBox {
  public:
    bool HasBorder() const override;
    void RemoveBorder() override;
};

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
