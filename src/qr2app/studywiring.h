#pragma once
// Connects the loader's hooks to the windows of the study program.
void installStudyHooks();
