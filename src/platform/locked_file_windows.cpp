#include <io.h>
#include <windows.h>

#include "base/log.h"
#include "platform/atomic_file.h"
#include "platform/locked_file.h"
#include "platform/win_file.h"

namespace dvdsp::platform {

namespace {

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

// True when `path` names the file open as `h` (it was not replaced or moved meanwhile).
bool StillNamed(const std::wstring& path, HANDLE h) {
    HANDLE byName = win::OpenShared(path, OPEN_EXISTING, FILE_READ_ATTRIBUTES);
    if (byName == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    // The same name leads to the same volume: the file index tells the files apart. (The
    // volume's serial number is not compared; wine gives none for a handle of a file that was
    // renamed while open.)
    const bool same = ::GetFileInformationByHandle(byName, &a) && ::GetFileInformationByHandle(h, &b) &&
                      a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
    ::CloseHandle(byName);
    return same;
}

}  // namespace

LockedFile::~LockedFile() {
    Release();
}

LockedFile::Result LockedFile::Acquire(const std::string& path, std::string_view initial,
                                      bool* created, std::string* error) {
    Release();
    if (created) *created = false;
    const std::wstring wide = Utf8ToWide(path);
    // Another process may replace or create the file between the open and the lock; the
    // lock counts only when the name still leads to the locked file.
    for (int attempt = 0; attempt < 16; ++attempt) {
        HANDLE h = win::OpenShared(wide, OPEN_EXISTING);
        if (h == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_FILE_NOT_FOUND) {
            bool exists = false;
            int fd = -1;
            if (CreateFileAtomicallyLocked(path, initial, &fd, &exists, error)) {
                if (!StillNamed(wide, HandleOf(fd))) {
                    ::_close(fd);
                    continue;
                }
                fd_ = fd;
                path_ = path;
                if (created) *created = true;
                return Result::Locked;
            }
            if (exists) continue;  // made by someone else meanwhile: take that one
            return Result::Failed;
        }
        if (h == INVALID_HANDLE_VALUE) {
            win::Fail(error, "cannot open " + path, ::GetLastError());
            return Result::Failed;
        }
        if (!win::LockExclusive(h, false)) {
            const DWORD err = ::GetLastError();
            ::CloseHandle(h);
            if (err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING) return Result::InUse;
            win::Fail(error, "cannot lock " + path, err);
            return Result::Failed;
        }
        if (!StillNamed(wide, h)) {
            ::CloseHandle(h);
            continue;
        }
        // Replacing a file with other names would leave them with the old content.
        BY_HANDLE_FILE_INFORMATION info{};
        if (::GetFileInformationByHandle(h, &info) && info.nNumberOfLinks > 1) {
            ::CloseHandle(h);
            if (error)
                *error = path + " has " + std::to_string(info.nNumberOfLinks) +
                         " names (hard links), which its replacement would part; it was left as it is "
                         "(keep one name, or use a symbolic link)";
            return Result::Failed;
        }
        const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), 0);
        if (fd < 0) {
            ::CloseHandle(h);
            win::Fail(error, "cannot keep " + path + " open", ERROR_TOO_MANY_OPEN_FILES);
            return Result::Failed;
        }
        fd_ = fd;
        path_ = path;
        return Result::Locked;
    }
    if (error) *error = path + " keeps changing; it could not be locked";
    return Result::Failed;
}

bool LockedFile::Read(std::string* out, std::string* error, size_t maxBytes) const {
    out->clear();
    if (fd_ < 0) return win::Fail(error, "cannot read " + path_, ERROR_INVALID_HANDLE);
    HANDLE h = HandleOf(fd_);
    char buf[65536];
    for (unsigned long long at = 0;;) {
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD n = 0;
        if (!::ReadFile(h, buf, sizeof buf, &n, &where)) {
            const DWORD err = ::GetLastError();
            if (err == ERROR_HANDLE_EOF) return true;
            return win::Fail(error, "cannot read " + path_, err);
        }
        if (n == 0) return true;
        out->append(buf, n);
        at += n;
        if (out->size() > maxBytes) {
            out->clear();
            if (error) *error = path_ + " is larger than " + std::to_string(maxBytes) + " bytes; it was not read";
            return false;
        }
    }
}

bool LockedFile::Replace(std::string_view data, std::string* error) {
    if (fd_ < 0) return win::Fail(error, "cannot write " + path_, ERROR_INVALID_HANDLE);
    // The old content's handle would keep the name from being replaced: it is closed once
    // the new content is written and locked, just before the new content takes the name.
    int fresh = -1;
    if (!win::Replace(path_, data, &fresh, nullptr, &fd_, error)) {
        if (fd_ < 0) {
            if (error) *error += " (and the file was taken by another process meanwhile)";
            path_.clear();
        }
        return false;
    }
    fd_ = fresh;
    return true;
}

bool LockedFile::MoveAside(const std::string& aside, std::string* error) {
    if (fd_ < 0) return win::Fail(error, "cannot move " + path_, ERROR_INVALID_HANDLE);
    if (!::MoveFileExW(Utf8ToWide(path_).c_str(), Utf8ToWide(aside).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return win::Fail(error, path_ + " could not be moved to " + aside, ::GetLastError());
    return true;
}

void LockedFile::Release() {
    if (fd_ >= 0) {
        ::_close(fd_);
        fd_ = -1;
    }
    path_.clear();
}

}  // namespace dvdsp::platform
