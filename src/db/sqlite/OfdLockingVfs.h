// SQLite's "unix" file layer with its locks taken as Linux open-file-description locks
// (F_OFD_SETLK) on descriptors of its own, for the database file and the WAL index (-shm).
// Byte ranges and protocol are SQLite's own, so other processes using the stock locking (the
// sqlite3 shell) still exclude and see each other correctly; but the locks belong to this layer's
// descriptors, not to the process, and close() of any other descriptor of the same file in this
// process — a file dialog listing the folder, a thumbnailer, a second library — cannot drop them.
#pragma once

namespace db::sqlite {

// Registers the layer once, as the process's default, and returns its name; nullptr when the
// system has no open-file-description locks (the stock "unix" layer stays in use then).
const char* OfdLockingVfs();

}  // namespace db::sqlite
