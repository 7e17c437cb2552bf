#pragma once
// Reading files from outside and keeping the program's own files and folders safe from
// what others may place beside them: only regular files are read, and never more than a
// limit; a working folder is private to the run; the log is appended to, never through a
// link; a write over a file-size limit is an error like a full disk.

#include <cstddef>
#include <cstdio>
#include <string>

namespace dvdsp::platform {

enum class ReadStatus { Ok, Missing, NotRegular, TooLarge, Failed };

// Reads the whole of `path` into `out` when it is a regular file (a link to one counts) of
// at most `maxBytes` bytes. A device, a FIFO or a folder is refused without waiting for it;
// of a file larger than the limit at most `maxBytes` + 1 bytes are read. `error` (when
// given) says why a read failed, the path named.
ReadStatus ReadRegularFile(const std::string& path, size_t maxBytes, std::string* out,
                           std::string* error = nullptr);

// The file `path` leads to: symbolic links followed (a relative one from its own folder),
// at most 40 of them. The path itself when it is no link or leads nowhere. A link of
// another user (neither this user's nor the system's) is not followed: `refusal` (when
// given) then says so, and the caller leaves the file alone.
std::string ResolveSymbolicLinks(const std::string& path, std::string* refusal = nullptr);

// Makes a new folder for this run inside `parent`, named `prefix` and a random part,
// which only this user can enter (0700). False with the reason when it cannot be made.
bool MakePrivateFolder(const std::string& parent, const std::string& prefix, std::string* made,
                       std::string* error = nullptr);

// Removes a folder made by MakePrivateFolder with what is in it. A link inside is removed
// as a link; what it leads to is never touched. An empty path or a missing folder is fine.
void RemovePrivateFolder(const std::string& folder);

// Opens the log file `path` for appending: created for this user when missing, refused
// when it is a link, not a regular file or not the user's own. Null with the reason then.
std::FILE* OpenLogFile(const std::string& path, std::string* error = nullptr);

// The start-up rule of the log: when "savelog.ini" is in the current folder, "save.log"
// there is opened (OpenLogFile) and the header lines written. True when the log is on.
bool StartLogIfEnabled();

// A write beyond the process's file-size limit then fails as a full disk does (POSIX:
// SIGXFSZ ignored) instead of ending the process. Called once at the start of a program.
void TreatFileSizeLimitAsWriteError();

}  // namespace dvdsp::platform
