#pragma once
// File names as the program holds them: UTF-8 text in a std::string on every system. On
// Windows the file system takes UTF-16 names, so every name goes through these helpers on
// its way to and from the system (a narrow name there would be read in the ANSI code page
// and lose any character outside it).

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace dvdsp::platform {

// The path named by UTF-8 text, and the UTF-8 text of a path.
std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

// std::fopen for a UTF-8 name. Files are always opened as given; callers use binary modes
// ("rb", "wb") so that no line ending is changed on the way.
std::FILE* OpenFile(const std::string& utf8Path, const char* mode);

// The value of an environment variable as UTF-8; empty when it is not set.
std::string EnvironmentValue(const char* name);

// The folder for temporary files: $TMP, else $TMPDIR (POSIX) or $TEMP and the system's
// temporary folder (Windows), else /tmp (POSIX).
std::string TempFolder();

// The program's arguments as UTF-8 (on Windows taken from the UTF-16 command line, as the
// narrow argv is in the ANSI code page).
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Lets the console show UTF-8 output (Windows: the console's output code page).
void PrepareUtf8Console();

// Whether the stream writes to a terminal (progress bars are drawn only there).
bool IsTerminal(std::FILE* stream);

// The process-creation flags that start a console program without a window of its own
// (Windows: CREATE_NO_WINDOW; 0 elsewhere).
unsigned long HiddenConsoleFlags();

}  // namespace dvdsp::platform
