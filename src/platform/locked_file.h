#pragma once
// A file held by one process: an exclusive lock on the file itself (flock; LockFileEx on
// Windows), taken when it is opened and kept until it is let go, also across its atomic
// replacement (on Windows the old handle goes just before the move, see
// atomic_file_windows.cpp). The lock belongs to the file, not to the name it was reached by,
// so a hard link, another relative path or another program (the windowed one and the CLI)
// meet the same lock. The system releases it when the process dies.

#include <cstddef>
#include <string>
#include <string_view>

namespace dvdsp::platform {

class LockedFile {
  public:
    enum class Result { Locked, InUse, Failed };

    LockedFile() = default;
    ~LockedFile();
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    // Opens `path` and takes its lock. A symbolic link is followed: the file it leads to is
    // held and replaced (Path() names it). A file with more than one name (hard links) is
    // refused (Failed), as replacing it would leave the other names with the old content. A missing file is created holding `initial`, in one
    // step so that no half-made file is ever seen, and `created` is set. InUse: another
    // holder has the lock. Failed: `error` says why.
    Result Acquire(const std::string& path, std::string_view initial, bool* created,
                   std::string* error);
    bool Held() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }

    // The file's whole content; false for one of more than `maxBytes` bytes.
    bool Read(std::string* out, std::string* error, size_t maxBytes = 64u << 20) const;
    // Replaces the content atomically (platform/atomic_file.h); the lock passes to the new
    // content. On failure the old content stays, still locked.
    bool Replace(std::string_view data, std::string* error);
    // Renames the file to `aside`, which leaves the path without a file until the next
    // Replace; the lock stays with the file until then.
    bool MoveAside(const std::string& aside, std::string* error);
    void Release();

  private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace dvdsp::platform
