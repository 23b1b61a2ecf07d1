#include "platform/memory/memory_controls.h"

#include <algorithm>

namespace talvex {
namespace {

// Window texts are C strings: whatever follows a NUL is not part of them.
std::string UpToNul(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

} // namespace

void ZOrder::BringToFront(const MemoryControl* control) {
    auto it = std::find(order_.begin(), order_.end(), control);
    if (it == order_.end()) return;
    order_.erase(it);
    order_.push_back(control);
    ++changes_;
}

MemoryControl::MemoryControl(ZOrder& siblings, std::string text)
    : siblings_(siblings), text_(UpToNul(text)) {
    siblings_.Add(this);
}

void MemoryControl::SetText(const std::string& text) {
    text_ = UpToNul(text);
}

void MemoryList::AddItem(const std::string& item) {
    items_.push_back(UpToNul(item));
}

void MemoryList::RemoveItem(int index) {
    if (index < 0 || index >= ListCount()) return;
    items_.erase(items_.begin() + index);
    if (index_ == index)
        index_ = -1;
    else if (index_ > index)
        --index_;
}

std::string MemoryList::List(int index) const {
    return (index >= 0 && index < ListCount()) ? items_[static_cast<size_t>(index)] : "";
}

void MemoryList::SetListIndex(int index) {
    index_ = (index >= 0 && index < ListCount()) ? index : -1;
}

void MemoryFormWindow::PopupMenu(MenuItem& defaultItem) {
    ++popups_;
    popupDefault_ = defaultItem.Caption();
}

} // namespace talvex
