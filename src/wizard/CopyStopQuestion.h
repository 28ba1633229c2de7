#pragma once

#include "runner/MessageBox.h"

namespace ornibe {

// How the user asks to stop the copy of the CD into the work folder.
enum class CopyStopGesture {
    // The progress window's cancel button: a deliberate stop.
    CancelButton,
    // Escape or the window's close box: easily pressed by chance.
    EscapeOrClose,
};

// Whether the gesture stops the copy. The cancel button stops it at once;
// Escape and the close box ask first, with "いいえ" (go on copying) as the
// default answer.
bool copyStopWanted(CopyStopGesture gesture, MessageBox& messages);

} // namespace ornibe
