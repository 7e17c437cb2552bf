#pragma once
// Bytes from hex text such as "AA 55 | 04 01": spaces and bars only group the fields.

#include <cstdint>
#include <string>
#include <vector>

namespace dvdsp::testing {

inline std::vector<uint8_t> Hex(const std::string& s) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < s.size();) {
        if (s[i] == ' ' || s[i] == '|') {
            ++i;
            continue;
        }
        out.push_back(static_cast<uint8_t>(std::stoi(s.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

}  // namespace dvdsp::testing
