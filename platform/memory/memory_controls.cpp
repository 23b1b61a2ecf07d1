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

MemoryControl::MemoryControl(ZOrder& siblings, const std::string& text)
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

// --- Diagnostics ---

MemoryListView::Item* MemoryListView::Find(int item) {
    return (item >= 1 && item <= ItemCount()) ? &items_[static_cast<size_t>(item - 1)] : nullptr;
}

const MemoryListView::Item* MemoryListView::Find(int item) const {
    return (item >= 1 && item <= ItemCount()) ? &items_[static_cast<size_t>(item - 1)] : nullptr;
}

void MemoryListView::AddItem(const std::string& caption, bool checked) {
    items_.push_back({UpToNul(caption), checked, {}, {}});
}

std::string MemoryListView::ItemText(int item) const {
    const Item* found = Find(item);
    return found ? found->caption : "";
}

bool MemoryListView::Checked(int item) const {
    const Item* found = Find(item);
    return found && found->checked;
}

void MemoryListView::SetChecked(int item, bool checked) {
    if (Item* found = Find(item)) found->checked = checked;
}

int MemoryListView::SubItemCount(int item) const {
    const Item* found = Find(item);
    return found ? static_cast<int>(found->subItems.size()) : 0;
}

std::string MemoryListView::SubItem(int item, int subItem) const {
    const Item* found = Find(item);
    if (!found || subItem < 1 || subItem > static_cast<int>(found->subItems.size())) return "";
    return found->subItems[static_cast<size_t>(subItem - 1)];
}

void MemoryListView::ClearSubItems(int item) {
    if (Item* found = Find(item)) found->subItems.clear();
}

void MemoryListView::RemoveSubItem(int item, int subItem) {
    Item* found = Find(item);
    if (!found || subItem < 1 || subItem > static_cast<int>(found->subItems.size())) return;
    found->subItems.erase(found->subItems.begin() + (subItem - 1));
}

void MemoryListView::AddSubItem(int item, const std::string& text) {
    if (Item* found = Find(item)) found->subItems.push_back(UpToNul(text));
}

std::string MemoryListView::InfoTip(int item) const {
    const Item* found = Find(item);
    return found ? found->tip : "";
}

void MemoryListView::SetInfoTip(int item, const std::string& tip) {
    if (Item* found = Find(item)) found->tip = UpToNul(tip);
}

void MemoryFormWindow::PopupMenu(MenuItem& defaultItem) {
    ++popups_;
    popupDefault_ = defaultItem.Caption();
}

} // namespace talvex
