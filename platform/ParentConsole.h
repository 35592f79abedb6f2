// The console of a program that has none of its own: on Windows the windowed
// kelmora.exe has no console, so what it says without its window (its usage,
// a bad option) goes to the console it was started from, and without its
// window it works in a console like a console program: the one it was
// started from, or else one of its own, whose Ctrl+C and close then reach the
// stop handler. Standard streams that already lead somewhere (a file, a pipe)
// stay. Nothing to do on POSIX.
#pragma once

namespace kelmora {

// The console the program was started from, if any.
void attach_parent_console();

// That console, or a new one.
void use_console();

} // namespace kelmora
