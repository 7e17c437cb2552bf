#pragma once
// Owned payloads of posted window messages.

#include <memory>
#include <utility>

namespace dvdsp::tk {

struct Payload {
    virtual ~Payload() = default;
};

// Any value carried as a payload.
template <typename T>
struct Boxed : Payload {
    explicit Boxed(T v) : value(std::move(v)) {}
    T value;
};

template <typename T>
std::unique_ptr<Payload> MakePayload(T value) {
    return std::make_unique<Boxed<T>>(std::move(value));
}

// The value inside a payload, or nullptr when it holds another type.
template <typename T>
T* Unbox(Payload* p) {
    auto* b = dynamic_cast<Boxed<T>*>(p);
    return b ? &b->value : nullptr;
}

}  // namespace dvdsp::tk
