// <windows.h> for the Win32 window. It defines MessageBox as a macro, which
// would rename the console's MessageBox (engine/Console.h); the window calls
// MessageBoxW by its own name.
#pragma once

#include <windows.h>

#undef MessageBox
