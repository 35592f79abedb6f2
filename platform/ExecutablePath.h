// The running program's own file, as Windows-1250 text.
#pragma once

#include <string>

namespace kelmora {

// The full path of the executable; empty when the system does not tell.
std::string executable_path();

} // namespace kelmora
