#pragma once
// Program resources compiled into the binary (the skin archive, firmware archives),
// looked up by name and type. Generated sources register their bytes at start-up.

#include <cstddef>
#include <cstdint>
#include <string>

namespace dvdsp::platform {

struct ResourceView {
    const uint8_t* data = nullptr;
    size_t size = 0;
    bool Empty() const { return data == nullptr || size == 0; }
};

// Registers (or replaces) a resource. The bytes must outlive the program.
void RegisterResource(const std::string& name, const std::string& type, const uint8_t* data,
                      size_t size);
// Removes a resource (tests use it to start without one).
void UnregisterResource(const std::string& name, const std::string& type);
// The resource's bytes; an empty view when it is not registered.
ResourceView FindResource(const std::string& name, const std::string& type);

}  // namespace dvdsp::platform
