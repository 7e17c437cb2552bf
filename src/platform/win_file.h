#pragma once
// Helpers the Windows files of this layer share (included by *_windows.cpp only).

#include <windows.h>

#include <string>
#include <string_view>

namespace dvdsp::platform::win {

// The system's text for an error code, in UTF-8.
std::string ErrorText(DWORD code);
// Sets `error` (when given) to "what: reason" and returns false.
bool Fail(std::string* error, const std::string& what, DWORD code);

// The lock that holds a file: one byte far beyond any content, so that it never stands in
// the way of reading or writing the file itself.
bool LockExclusive(HANDLE file, bool wait);

// Opens a file for the lock: reading only, and shared in every way, so that the file can be
// replaced or renamed while it is held.
HANDLE OpenShared(const std::wstring& path, DWORD disposition, DWORD access = GENERIC_READ);

// The atomic replacement of platform/atomic_file.h, and for a locked file the hand-over
// of its lock (see atomic_file_windows.cpp).
bool Replace(const std::string& path, std::string_view data, int* lockedFd, bool* exists,
             int* release, std::string* error);

}  // namespace dvdsp::platform::win
