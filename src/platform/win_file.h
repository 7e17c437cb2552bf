#pragma once
// Helpers the Windows files of this layer share (included by *_windows.cpp only).

#include <windows.h>

#include <string>

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

}  // namespace dvdsp::platform::win
