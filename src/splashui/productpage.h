#pragma once
// Opens the product's web page in the user's browser.
#include <QString>
#include <functional>

namespace ProductPage {
// The product web page.
inline constexpr const char* kAddress = "https://quarnel.example.org/";

// A browser command split into the program and its arguments, the page address filled in.
struct Command {
    QString program;
    QString arguments;
};

// Splits a command line of a desktop entry ("Exec" key) or a quoted Windows-style command:
// the program is the first word (a quoted one may hold spaces), the arguments are the rest
// with "%u", "%U", "%f", "%F" and "%1" replaced by `address`, the other field codes dropped,
// "%%" turned into "%" and runs of spaces made one. A command with no quotes splits at its
// first space rather than yielding no program.
Command splitCommand(const QString& command, const QString& address);

// The command line of the desktop's handler for web addresses, read from its desktop entry;
// empty (and a warning logged) when it can't be found.
QString browserCommand();

// Replaces the lookup of the handler's desktop entry name (normally
// `xdg-mime query default x-scheme-handler/https`); an empty function restores it.
void setHandlerLookup(std::function<QString()> lookup);
} // namespace ProductPage

// Starts the desktop's web browser on the product page, logging the program ("file: ") and
// its arguments ("args: "); without one the desktop's opener takes the page. When nothing can
// open it, the user is told.
void OpenProductPage();
