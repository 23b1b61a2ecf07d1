#include "gui/page_window.h"

namespace talvex::win32 {

void PageWindow::Create(HWND frame, std::span<const ChildLayout> layout, int dpi, HFONT font) {
    frame_ = frame;
    dpi_ = dpi;
    layout_ = layout;
    CreateChildren(frame, layout, dpi, font);
}

void PageWindow::Relayout(int dpi, HFONT font) {
    dpi_ = dpi;
    RelayoutChildren(frame_, layout_, dpi, font);
    OnRelayout(dpi);
}

} // namespace talvex::win32
