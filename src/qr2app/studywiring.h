#pragma once
// Connects the loader's hooks to the windows of the study program.
void installStudyHooks();
// The card window's speech engine (made on first use) and the log of its problems.
void installCardVoice();
