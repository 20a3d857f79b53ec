#pragma once
// The process from start to end: fonts, single instance, toolkit, messages, main window, loop,
// and the release in a fixed order. Returns the exit code (0 also for a second start).
int RunApplication(int argc, char** argv);
