// What `systemctl status kelmora` shows of a running Kelmora (the notify
// protocol's STATUS=, UTF-8, one line): first what keeps it from serving and
// how to fix it, then each connected slot with its port and what its
// indicator shows, then the last status pair, for example
//   "T1 COM1 SLAVE, T2 COM2 neotevřen; stav 1,3".
#pragma once

#include <string>

namespace kelmora {

class Engine;

std::string ServiceStatusText(const Engine& engine);

// How a service fixes a data path it may not write, for the journal
// (UTF-8); empty when there is nothing to fix. A read-only data path is the
// service's sandbox (ProtectSystem=strict) more often than not.
std::string ServiceDataPathHint(const Engine& engine);

} // namespace kelmora
