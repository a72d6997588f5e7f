// The few operating-system services the C++ standard library lacks: making a
// written file and a rename durable on the storage device, and asking whether
// a stream is a terminal. This file and its .cpp are the only places that call
// POSIX or Windows directly; everything else stays portable.
#pragma once

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace gsmith::platform {

// Returns once the file's contents are on the storage device (fsync; _commit
// on Windows), or the reason they could not be put there.
std::error_code flushToDisk(const std::filesystem::path &file);

// Returns once the directory's entries, and so a rename into it, are on the
// storage device. Windows has no such call (its file systems journal renames
// themselves), so there it does nothing.
std::error_code flushDirectory(const std::filesystem::path &directory);

// Whether the stream writes to a terminal rather than a file or a pipe.
bool isTerminal(std::FILE *stream);

} // namespace gsmith::platform
