// Pictures the program draws itself: icons picked by size and GIF or PNG images scaled to the
// control, both blended over their parent's background, so that they stay crisp at every DPI.
// A picture child's window text names its resource ("#1" or a name); a picture with SS_NOTIFY
// reports clicks as STN_CLICKED, one with SS_SUNKEN has a thin frame round its image.
#pragma once

#include "platform/controls.h"
#include "platform/win32/win32_controls.h"

namespace talvex::win32 {

inline constexpr char kPictureClassName[] = "TalvexPicture";

// Registers the picture class once for the process; later calls do nothing.
void RegisterPictureClass();

class Win32Picture : public Win32Control, public Picture {
  public:
    bool Highlighted() const override;
    void SetHighlighted(bool highlighted) override;
};

} // namespace talvex::win32
