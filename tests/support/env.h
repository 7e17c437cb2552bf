#pragma once
// Setting and removing environment variables of the test process, on every system (names
// and values in UTF-8).
#include <cstdlib>
#include <string>

#include "base/log.h"

namespace dvdsp::testing {

inline void SetEnv(const std::string& name, const std::string& value) {
#ifdef _WIN32
    ::_wputenv_s(Utf8ToWide(name).c_str(), Utf8ToWide(value).c_str());  // UTF-8, not the ANSI code page
#else
    ::setenv(name.c_str(), value.c_str(), 1);
#endif
}

inline void UnsetEnv(const std::string& name) {
#ifdef _WIN32
    ::_wputenv_s(Utf8ToWide(name).c_str(), L"");  // an empty value removes the variable there
#else
    ::unsetenv(name.c_str());
#endif
}

}  // namespace dvdsp::testing
