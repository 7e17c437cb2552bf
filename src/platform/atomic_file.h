#pragma once
// Replacing a file so that it is never seen half written: the bytes go to a temporary file
// in the same folder, which is flushed to the disk and renamed over the old file; the folder
// is then flushed too. On any failure the temporary file is removed and the old file stays
// as it was.

#include <string>
#include <string_view>

namespace dvdsp::platform {

// True when `path` now holds `data`; else false with the reason in `error` (when given).
bool WriteFileAtomically(const std::string& path, std::string_view data, std::string* error = nullptr);

}  // namespace dvdsp::platform
