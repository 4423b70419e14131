#pragma once

#include <functional>

// Runs `onSignal` in the event loop when the process is told to end: SIGTERM (a logout or
// `kill`), SIGINT (Ctrl+C in its terminal) or SIGHUP (its terminal closed). The signal handler
// itself only writes the signal's number to a socket that the event loop watches. Each signal
// is caught once: should the orderly end hang, a second one ends the process the default way.
// A further call catches them again and replaces `onSignal`. Needs the application object;
// false when the socket or a handler can't be set up.
bool catchTerminationSignals(std::function<void(int signal)> onSignal);
