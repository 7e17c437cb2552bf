#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "base/log.h"
#include "platform/file_access.h"
#include "platform/paths.h"
#include "platform/win_file.h"

namespace dvdsp::platform {
namespace {

void Say(std::string* error, const std::string& text) {
    if (error) *error = text;
}

}  // namespace

ReadStatus ReadRegularFile(const std::string& path, size_t maxBytes, std::string* out,
                           std::string* error) {
    out->clear();
    HANDLE h = ::CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = ::GetLastError();
        win::Fail(error, "cannot read " + path, err);
        return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND ? ReadStatus::Missing : ReadStatus::Failed;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        ::CloseHandle(h);
        Say(error, path + " is not a regular file; it was not read");
        return ReadStatus::NotRegular;
    }
    char buf[65536];
    while (out->size() <= maxBytes) {
        const DWORD want = static_cast<DWORD>(std::min(sizeof buf, maxBytes + 1 - out->size()));
        DWORD n = 0;
        if (!::ReadFile(h, buf, want, &n, nullptr)) {
            const DWORD err = ::GetLastError();
            ::CloseHandle(h);
            out->clear();
            win::Fail(error, "cannot read " + path, err);
            return ReadStatus::Failed;
        }
        if (n == 0) break;
        out->append(buf, n);
    }
    ::CloseHandle(h);
    if (out->size() > maxBytes) {
        out->clear();
        Say(error, path + " is larger than " + std::to_string(maxBytes) + " bytes; it was not read");
        return ReadStatus::TooLarge;
    }
    return ReadStatus::Ok;
}

std::string ResolveSymbolicLinks(const std::string& path, std::string*) {
    namespace fs = std::filesystem;
    fs::path at = PathFromUtf8(path);
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(at, ec))) break;
        const fs::path target = fs::read_symlink(at, ec);
        if (ec) break;
        at = target.is_absolute() || !at.has_parent_path() ? target : at.parent_path() / target;
    }
    return Utf8FromPath(at);
}

bool MakePrivateFolder(const std::string& parent, const std::string& prefix, std::string* made,
                       std::string* error) {
    // The user's temporary folder is the user's own here; a new name is taken, never one
    // that exists.
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = (parent.empty() ? std::string(".") : parent) + "\\" + prefix +
                                 std::to_string(::GetCurrentProcessId()) + "-" +
                                 std::to_string(counter.fetch_add(1)) + "-" + std::to_string(::GetTickCount64());
        if (::CreateDirectoryW(Utf8ToWide(name).c_str(), nullptr)) {
            *made = name;
            return true;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return win::Fail(error, "cannot make a folder in " + parent, ::GetLastError());
}

void RemovePrivateFolder(const std::string& folder) {
    if (folder.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(PathFromUtf8(folder), ec);
}

std::FILE* OpenLogFile(const std::string& path, std::string* error) {
    const std::wstring name = Utf8ToWide(path);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        Say(error, path + " is not a regular file; it was not opened");
        return nullptr;
    }
    std::FILE* f = ::_wfopen(name.c_str(), L"ab");
    if (!f) Say(error, "cannot open " + path);
    return f;
}

void TreatFileSizeLimitAsWriteError() {}

}  // namespace dvdsp::platform
