#pragma once
// The program's debug log on Windows: every message goes to the debugger
// (OutputDebugString), to the standard error (which a program started from
// the desktop does not have) and, when ALARM_LOG names a file, to the end of
// that file; one line each, flushed at once.

void installWin32LogSink();
