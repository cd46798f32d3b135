// The application shell: the program entry, the main window TQelGameEngine that owns
// every engine, start-up, options, logs, the idle-time frame loop and the screen dispatch
// by ScreenMode. Screens plug in as IScreen objects owned by the main window.
#pragma once

// Runs the game (or a scripted developer run, see DevOptions.h); the process's exit
// status: 0 after a normal close, 1 when the program could not run, 2 for a malformed
// command line or input script.
int RunGlimmora(int argc, char** argv);
