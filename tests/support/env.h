#pragma once
// Setting and removing environment variables of the test process, on every system.
#include <cstdlib>
#include <string>

namespace dvdsp::testing {

inline void SetEnv(const std::string& name, const std::string& value) {
#ifdef _WIN32
    ::_putenv_s(name.c_str(), value.c_str());
#else
    ::setenv(name.c_str(), value.c_str(), 1);
#endif
}

inline void UnsetEnv(const std::string& name) {
#ifdef _WIN32
    ::_putenv_s(name.c_str(), "");  // an empty value removes the variable there
#else
    ::unsetenv(name.c_str());
#endif
}

}  // namespace dvdsp::testing
