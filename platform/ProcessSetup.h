// What the process sets up first, before it opens anything or starts a
// thread. A program started with its standard input, output or error closed
// (by a careless service script, a daemonising shell) would hand those
// numbers to the next files it opens: a serial line opened as descriptor 2
// would carry every console message in front of the frames. And a console
// that goes away (`kelmora --headless | head -1`, a closed terminal) must
// not end the relay in the middle of a job. Nothing to do on Windows.
#pragma once

namespace kelmora {

// Standard input, output and error lead at least to the null device, and a
// write to a pipe or socket nobody reads any more fails instead of ending
// the process (SIGPIPE ignored).
void prepare_process();

} // namespace kelmora
