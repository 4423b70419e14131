#pragma once
// How the programs' windows present themselves to assistive technology. Qt gives a window
// built on a plain QWidget the role of a client area, which screen readers announce as a
// "filler"; the factory installed here gives such windows the role of a window, or of a
// dialog when they are shown as one, named by their title.
#include <QAccessible>

class QWidget;

// Installs the factory once; every window class built on a plain QWidget calls it from its
// constructor, so the role is right whichever window comes up first.
void installWindowRoles();
// The role such a window has: Dialog for dialog windows, Window for the others.
QAccessible::Role windowRoleOf(const QWidget* window);
