#pragma once
// Replacing a file so that it is never seen half written: the bytes go to a temporary file
// in the same folder, which is flushed to the disk and renamed over the old file; the folder
// is then flushed too. On any failure the temporary file is removed and the old file stays
// as it was.

#include <string>
#include <string_view>

namespace dvdsp::platform {

// True when `path` now holds `data`; else false with the reason in `error` (when given).
bool WriteFileAtomically(const std::string& path, std::string_view data, std::string* error = nullptr);

// The same, and the new file is locked (flock, exclusive; LockFileEx on Windows) before it
// takes the old one's place, so that a lock held on the file passes to its new content
// without a gap. The new file's open descriptor (a C runtime descriptor of the handle on
// Windows) is handed back in `lockedFd`; the caller closes it.
bool WriteFileAtomicallyLocked(const std::string& path, std::string_view data, int* lockedFd,
                               std::string* error = nullptr);

// Creates `path` holding `data`, locked as above, only when there is no file of that name:
// the complete file appears in one step or not at all. False when a file of that name
// exists (`exists` set) or on failure (`error`).
bool CreateFileAtomicallyLocked(const std::string& path, std::string_view data, int* lockedFd,
                                bool* exists, std::string* error = nullptr);

}  // namespace dvdsp::platform
