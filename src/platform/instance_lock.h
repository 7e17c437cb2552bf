#pragma once
// Named, process-wide lock used for the single-instance rule. On Linux it is an
// exclusive lock on a file in a fixed folder of the user, /tmp/dvdsp-<uid>/, which every
// process of the user meets whatever its environment (XDG_RUNTIME_DIR differs between a
// desktop session and a shell); on Windows a named mutex of the session. The system releases either when the process dies, so a crash never blocks the
// next start.

#include <string>

namespace dvdsp::platform {

class NamedMutex {
  public:
    NamedMutex() = default;
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // Creates and takes the lock. Returns false when another process holds it
    // ("already exists"), or when the lock file cannot be created at all.
    bool Acquire(const std::string& name);
    void Release();
#ifdef _WIN32
    bool Held() const { return mutex_ != nullptr; }
#else
    bool Held() const { return fd_ >= 0; }
#endif
    // True when the last Acquire failed because another process holds the lock.
    bool AlreadyExists() const { return alreadyExists_; }
    // Why the last Acquire failed when it was not another holder; empty otherwise.
    const std::string& Error() const { return error_; }

  private:
#ifdef _WIN32
    void* mutex_ = nullptr;  // the mutex's HANDLE
#else
    int fd_ = -1;
#endif
    bool alreadyExists_ = false;
    std::string error_;
};

// The folder of the single-instance lock: /tmp/dvdsp-<uid>, made 0700 when missing and
// used only when it is a folder (no link) of this user that no one else may enter; empty
// otherwise, with the reason in `error`. On Windows the temporary folder.
std::string InstanceLockFolder(std::string* error = nullptr);

// Name of the single-instance lock: "DRAVIKUNIT_" followed by the model name.
std::string InstanceMutexName();

}  // namespace dvdsp::platform
