#pragma once
// Profile files: the scene profile (.spf, the live settings) and the whole configuration
// profile (.wpf, the live settings, the ten stored scenes and their names), JSON printed
// without formatting. A file is read into a working copy of the model; the model is
// replaced only when the whole file was read, so a refused file changes nothing.

#include <string>
#include <string_view>

#include "core/unit_model.h"

namespace dvdsp::core {

enum class ProfileStatus {
    Ok,             // read, or written
    OpenError,      // cannot be opened, read or parsed
    ModelMismatch,  // "model" is not this program's model
    LoadError,      // missing key, wrong type or wrong size
    CreateError,    // cannot be created or written
};

struct ProfileResult {
    ProfileStatus status = ProfileStatus::Ok;
    std::string detail;  // what was wrong, for the user (empty on success)
    bool ok() const { return status == ProfileStatus::Ok; }
};

// The message key shown for a result ("${profile_save_ok}" for a written file, "" for a
// file read without fault).
const char* MessageKey(const ProfileResult& r, bool writing);

enum class ProfileKind { Scene, Whole };

// The texts, exactly as they are written to a file.
std::string SceneProfileText(const SceneState& s);
std::string WholeProfileText(const UnitModel& m);

ProfileResult WriteSceneProfile(const std::string& path, const SceneState& s);
ProfileResult WriteWholeProfile(const std::string& path, const UnitModel& m);

// Read a text into the model: on success the values of the file replace those of the
// model (what the file does not hold stays as it was); on failure the model is untouched.
ProfileResult ParseSceneProfile(std::string_view text, SceneState& current);
ProfileResult ParseWholeProfile(std::string_view text, UnitModel& model);
ProfileResult ReadSceneProfile(const std::string& path, SceneState& current);
ProfileResult ReadWholeProfile(const std::string& path, UnitModel& model);

// The kind of a file by its name (".spf" or ".wpf", any case), else by its content
// (a whole profile has "currentProfile").
ProfileKind ProfileKindOf(const std::string& path, std::string_view text);

// File helpers shared by the readers and the command line. Reads a regular file of at most
// kMaxProfileBytes; else false with the reason in `why` (when given).
bool ReadWholeFile(const std::string& path, std::string& out, std::string* why = nullptr);

// Standard Base64 with "=" padding.
std::string Base64Encode(const uint8_t* data, size_t len);
bool Base64Decode(std::string_view text, std::string& out);

}  // namespace dvdsp::core
