#pragma once
// Writes to the master database "sys.qex" that the user must hear about when they fail.
//
// One user action (the first start, OK in the chapter window, the shutdown, OK in the
// Preferences window ...) may save the file several times: the colour table saves it, then
// the action itself. The user is told once per action: while a SettingsOccasion lives, failed
// saves are collected and reported in one message box when the outermost occasion ends.
// A failure outside any occasion is reported at once.
//
// A full file (the store holds the most entries it can) is reported once per mounted master
// database; the program goes on with the settings it could keep.
#include <QString>

class ivordalite;

class SettingsOccasion {
public:
    SettingsOccasion();
    ~SettingsOccasion();
    SettingsOccasion(const SettingsOccasion&) = delete;
    SettingsOccasion& operator=(const SettingsOccasion&) = delete;

    // Adds or replaces an entry of `store`. False when the store has no room for a new entry.
    static bool add(ivordalite& store, const QString& name, const QString& text, qint32 number, const QString& tag);
    // Saves `store` (the master database, or a store of its own over "sys.qex"). False when
    // the file was not written.
    static bool save(ivordalite& store);
};
