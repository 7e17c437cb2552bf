#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <string>

#include "base/log.h"
#include "platform/atomic_file.h"
#include "platform/win_file.h"

namespace dvdsp::platform {

namespace win {

std::string ErrorText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring w = n && text ? std::wstring(text, n) : L"error " + std::to_wstring(code);
    if (text) ::LocalFree(text);
    while (!w.empty() && (w.back() == L'\n' || w.back() == L'\r' || w.back() == L'.')) w.pop_back();
    return WideToUtf8(w);
}

bool Fail(std::string* error, const std::string& what, DWORD code) {
    if (error) *error = what + ": " + ErrorText(code);
    return false;
}

bool LockExclusive(HANDLE file, bool wait) {
    OVERLAPPED at{};
    at.Offset = 0;
    at.OffsetHigh = 0x7FFFFFFF;
    DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    return ::LockFileEx(file, flags, 0, 1, 0, &at) != 0;
}

HANDLE OpenShared(const std::wstring& path, DWORD disposition, DWORD access) {
    return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace win

namespace {

bool WriteAll(HANDLE h, std::string_view data) {
    while (!data.empty()) {
        const DWORD chunk = data.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(data.size());
        DWORD written = 0;
        if (!::WriteFile(h, data.data(), chunk, &written, nullptr)) return false;
        data.remove_prefix(written);
    }
    return true;
}

// A name beside `path` that no other file has: the process, a counter and the time.
std::wstring TempName(const std::wstring& path) {
    static std::atomic<unsigned> counter{0};
    return path + L"." + std::to_wstring(::GetCurrentProcessId()) + L"." +
           std::to_wstring(counter.fetch_add(1)) + L"." + std::to_wstring(::GetTickCount64()) + L".tmp";
}

// Moves `from` onto `to`. A file that is open cannot be replaced here (no handle keeps a
// deleted name on this system), and other programs (a virus scanner, another process trying
// the lock) hold files open for a moment: a refused move is tried again a few times.
bool MoveInto(const std::wstring& from, const std::wstring& to, DWORD how, DWORD* err) {
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(from.c_str(), to.c_str(), how)) return true;
        *err = ::GetLastError();
        if ((*err != ERROR_ACCESS_DENIED && *err != ERROR_SHARING_VIOLATION) || attempt == 20) return false;
        ::Sleep(10);
    }
}

}  // namespace

namespace win {

// Writes `data` beside `path` and moves it onto `path`. With `lockedFd` the new file is
// locked before the move and stays open, handed back as a C runtime descriptor. With
// `exists` the move takes the name only when no file has it (the system refuses otherwise).
// With `release`, that descriptor (the old content's, which would keep the name from being
// replaced) is closed once the new content is written and locked, just before the move;
// when the move fails the old content is locked again into it, unless another process took
// it meanwhile (then it stays -1).
bool Replace(const std::string& path, std::string_view data, int* lockedFd, bool* exists,
             int* release, std::string* error) {
    const std::wstring target = Utf8ToWide(path);
    if (target.empty() || target.back() == L'\\' || target.back() == L'/')
        return win::Fail(error, "cannot write " + path, ERROR_DIRECTORY);
    std::wstring tmp;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 8 && h == INVALID_HANDLE_VALUE; ++attempt) {
        tmp = TempName(target);
        h = win::OpenShared(tmp, CREATE_NEW, GENERIC_READ | GENERIC_WRITE);
        if (h == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (h == INVALID_HANDLE_VALUE)
        return win::Fail(error, "cannot create a file beside " + path, ::GetLastError());

    DWORD err = 0;
    if (lockedFd && !win::LockExclusive(h, true)) err = ::GetLastError();
    if (!err && !WriteAll(h, data)) err = ::GetLastError();
    if (!err && !::FlushFileBuffers(h)) err = ::GetLastError();
    if (!lockedFd) {
        if (!::CloseHandle(h) && !err) err = ::GetLastError();
        h = INVALID_HANDLE_VALUE;
    }
    if (!err) {
        const DWORD how = MOVEFILE_WRITE_THROUGH | (exists ? 0 : MOVEFILE_REPLACE_EXISTING);
        if (exists) *exists = false;
        if (release && *release >= 0) {
            ::_close(*release);
            *release = -1;
        }
        if (!MoveInto(tmp, target, how, &err)) {
            if (exists && (err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS)) *exists = true;
        } else {
            err = 0;
        }
    }
    if (err) {
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
        ::DeleteFileW(tmp.c_str());
        if (release && *release < 0) {
            HANDLE again = OpenShared(target, OPEN_EXISTING);
            if (again != INVALID_HANDLE_VALUE && LockExclusive(again, false))
                *release = ::_open_osfhandle(reinterpret_cast<intptr_t>(again), 0);
            else if (again != INVALID_HANDLE_VALUE)
                ::CloseHandle(again);
        }
        return win::Fail(error, "cannot write " + path, err);
    }
    if (lockedFd) {
        const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
        if (fd < 0) {
            ::CloseHandle(h);
            return win::Fail(error, "cannot keep " + path + " open", ERROR_TOO_MANY_OPEN_FILES);
        }
        *lockedFd = fd;
    }
    return true;
}

}  // namespace win

bool WriteFileAtomically(const std::string& path, std::string_view data, std::string* error) {
    return win::Replace(path, data, nullptr, nullptr, nullptr, error);
}

bool WriteFileAtomicallyLocked(const std::string& path, std::string_view data, int* lockedFd,
                               std::string* error) {
    return win::Replace(path, data, lockedFd, nullptr, nullptr, error);
}

bool CreateFileAtomicallyLocked(const std::string& path, std::string_view data, int* lockedFd,
                                bool* exists, std::string* error) {
    return win::Replace(path, data, lockedFd, exists, nullptr, error);
}

}  // namespace dvdsp::platform
