#include "platform/resources.h"

#include <map>
#include <mutex>
#include <utility>

namespace dvdsp::platform {
namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::pair<std::string, std::string>, ResourceView> entries;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

void RegisterResource(const std::string& name, const std::string& type, const uint8_t* data,
                      size_t size) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.entries[{name, type}] = ResourceView{data, size};
}

void UnregisterResource(const std::string& name, const std::string& type) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.entries.erase({name, type});
}

ResourceView FindResource(const std::string& name, const std::string& type) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.entries.find({name, type});
    return it == r.entries.end() ? ResourceView{} : it->second;
}

}  // namespace dvdsp::platform
