#pragma once
// Key codes as the card window's key handlers expect them: the classic virtual-key codes
// (13 Return, 32 Space, 37..40 arrows, 65..90 letters, 112.. function keys) and the shift
// state mask (1 Shift, 2 Ctrl, 4 Alt).
#include <Qt>

int virtualKeyFromQt(int qtKey);
int shiftStateFromQt(Qt::KeyboardModifiers modifiers);
