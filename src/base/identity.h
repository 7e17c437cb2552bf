#pragma once
// Identity of this build: the one unit model it serves.

namespace dvdsp {
inline constexpr const char* kModelName = "VTR50";
inline constexpr const wchar_t* kModelNameW = L"VTR50";
inline constexpr int kModelId = 98;
inline constexpr const char* kSoftwareVersion = "v6.8.7";
inline constexpr int kInnerFwMain = 2;
inline constexpr int kInnerFwSub = 27;
inline constexpr unsigned short kVendorId = 0x0483;
inline constexpr unsigned short kProductId = 0x5750;
}  // namespace dvdsp
