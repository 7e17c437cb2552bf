#include <windows.h>

#include <string>

#include "base/identity.h"
#include "base/log.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"

namespace dvdsp::platform {

std::string InstanceLockFolder(std::string*) {
    return TempFolder();
}

std::string InstanceMutexName() {
    return std::string("DRAVIKUNIT_") + kModelName;
}

NamedMutex::~NamedMutex() {
    Release();
}

bool NamedMutex::Acquire(const std::string& name) {
    Release();
    alreadyExists_ = false;
    error_.clear();
    HANDLE h = ::CreateMutexW(nullptr, TRUE, Utf8ToWide(name).c_str());
    if (h == nullptr) {
        const DWORD err = ::GetLastError();
        alreadyExists_ = err == ERROR_ACCESS_DENIED;  // held in another session
        if (!alreadyExists_) error_ = "cannot create the lock " + name + ": error " + std::to_string(err);
        return false;
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        alreadyExists_ = true;
        ::CloseHandle(h);
        return false;
    }
    mutex_ = h;
    return true;
}

void NamedMutex::Release() {
    if (mutex_ != nullptr) {
        ::ReleaseMutex(static_cast<HANDLE>(mutex_));
        ::CloseHandle(static_cast<HANDLE>(mutex_));
        mutex_ = nullptr;
    }
}

}  // namespace dvdsp::platform
