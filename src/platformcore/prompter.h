#pragma once
// Message boxes as a service: the programs ask through this interface so that every
// box can be answered from a script in tests. No Widgets in this header.
#include <QString>

enum class MsgIcon { None, Information, Exclamation, Question, Critical };
enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgResult { Ok, Yes, No, Cancel };

class Prompter {
public:
    virtual ~Prompter() = default;
    // Shows a modal box and returns the button the user chose. An empty title stands
    // for the program's default title.
    virtual MsgResult ask(MsgIcon icon, MsgButtons buttons, const QString& title, const QString& text) = 0;
};

// The prompter in force for the whole process. Until one is installed, every question
// is answered with the first button (Ok or Yes).
Prompter& prompter();
// Installs p (not owned); nullptr restores the default.
void setPrompter(Prompter* p);
