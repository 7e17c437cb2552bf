#pragma once
// Process-wide diagnostic log. Off unless "savelog.ini" exists in the current
// directory at start-up; then every call goes to "save.log" and to the console
// (standard output unless the program chose another stream or none).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// Wide-character printf-style log call. Returns the number of characters formatted,
// 0 while logging is off.
int LogWrite(const wchar_t* format, ...);

// Narrow (UTF-8) printf-style log call.
int LogWriteNarrow(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Where the log is echoed besides its file: standard output by default; null for
// nowhere (a program whose standard output carries results). Set before LogOpen.
void LogSetConsole(FILE* console);

// Opens the log file (truncating it), a file of the caller's choosing such as a test's
// own. Returns false when it cannot be opened; logging then stays off. The programs' log
// "save.log" is opened by platform::StartLogIfEnabled, which checks the file first.
bool LogOpen(const std::string& path);

// Takes `file`, opened by the caller, as the log file (it is closed with the log). False
// when a log is already open; `file` is then closed.
bool LogAttach(FILE* file);

// The header lines of a started log: model, model id, software and inner firmware versions.
void LogWriteHeader();

bool LogIsOpen();

// Callers that print one line in pieces clear the time stamp for the continuation
// pieces and set it again afterwards.
void LogSetTimestamp(bool on);

// Writes "%02x " for each byte as one call, without a time stamp, then a line end.
void LogHexBytes(const uint8_t* data, size_t n);

// Closes the log (tests only; the program keeps it open until it ends).
void LogCloseForTest();

// Wide to UTF-8; invalid code points become U+FFFD.
std::string WideToUtf8(const std::wstring& w);
std::wstring Utf8ToWide(const std::string& s);
