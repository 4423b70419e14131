#pragma once
// "qr2 --voices": the speech engines found, and for each the languages it speaks and the
// voices of each language, for a user wondering why a card is silent. No window, no lock,
// nothing written.
#include <QStringList>

#include <cstdio>

namespace voice {

// Whether the arguments (args[0] is the program) ask for the voices; "--" ends the switches.
bool hasVoicesOption(const QStringList& args);

// The lines to print for the engines named (QTextToSpeech::availableEngines() in the
// program): per engine "Engine speechd:", then one line per language, "  Russian (ru_RU):
// voice, voice (101 variants)", sorted by language name; an engine that can't start says why. With no
// engine, one line saying so.
QStringList voiceReport(const QStringList& engines);

// Prints voiceReport() of the installed engines; the exit code is always 0.
int printVoices(FILE* out);

} // namespace voice
