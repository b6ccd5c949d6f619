#pragma once
// libcdio's own log handler ends the process (exit) on any message of error
// level, and an odd path or a damaged image is enough to make libcdio log one:
// a .bin whose cue sheet is missing, a folder opened as an image. Every use
// of libcdio here therefore first installs a handler that only writes the
// message to standard error, as the default one does for warnings. The
// handler is process-wide and installed once; callable from any thread.

namespace recorder {

void installCdioLogHandler();

} // namespace recorder
