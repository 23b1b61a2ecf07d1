// Small fixed-size dialogs built from a table, shown modally without an owner window.
#pragma once

#include "platform/win32/layout.h"

#include <span>

namespace talvex::win32 {

struct ModalFormLayout {
    const char* caption;
    int clientWidth;  // twips
    int clientHeight; // twips
    std::span<const ChildLayout> children;
};

// Shows the form centred on the screen, disabling the thread's other windows while it is open.
// Returns the id of the button that closed it, or 0 when it was closed any other way.
int RunModalForm(const ModalFormLayout& layout);

} // namespace talvex::win32
