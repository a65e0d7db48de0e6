#pragma once

namespace plovane {

// Without a display the toolkit aborts, advising to reinstall the program. Called before it
// is asked for one: where the window can have no display (none named, or an X display that
// does not answer), says so in one line on standard error, with what to use instead, and
// ends the program with status 2. A platform that needs no display (offscreen, vnc...)
// passes. Does nothing where the window system is the operating system's own (Windows).
void exitWhenNoDisplay(int argc, char** argv);

}  // namespace plovane
