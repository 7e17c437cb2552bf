#include <windows.h>

#include <string>

#include "base/identity.h"
#include "base/log.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"

namespace dvdsp::platform {

std::string RuntimeFolder() {
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
    HANDLE h = ::CreateMutexW(nullptr, TRUE, Utf8ToWide(name).c_str());
    if (h == nullptr) {
        alreadyExists_ = ::GetLastError() == ERROR_ACCESS_DENIED;  // held in another session
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
