#pragma once
// SIGTERM, SIGINT and SIGHUP (logout, shutdown, Ctrl+C, kill) turned into a
// readable descriptor, so that the program's own loop ends a recording as
// Stop would and exits in order. A second of these signals arriving while
// the first is being handled ends the process at once, with exit status
// 128 + the signal: whatever is on disk stays as it stands.
//
// Process-wide: install() once, before any thread that could take the signal
// is started (threads inherit the handlers, not the mask, so any thread may
// run the handler; it only writes one byte).

namespace shutdown {

// Installs the handlers; false (with errno) when the pipe could not be made.
bool install();
// Readable once a signal has come; -1 before install().
int descriptor();
// The first signal that came, 0 when none has.
int received();
// Drains the descriptor after a wake-up; the signal stays received().
void acknowledge();

} // namespace shutdown
