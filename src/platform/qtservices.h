#pragma once
// The real, on-screen versions of the platform services.
#include <QString>

// Installs the message box, dialog and shell services that talk to the desktop.
// `defaultTitle` is the title of a message box whose caller gave none.
void installQtServices(const QString& defaultTitle);
