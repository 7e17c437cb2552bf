#include "core/builtin_firmware.h"

#include "platform/resources.h"

namespace dvdsp::core {

bool BuiltInFirmwarePresent() {
    return !platform::FindResource(kFirmwareResource, kFirmwareResourceType).Empty() &&
           !platform::FindResource(kFirmwareToolsResource, kFirmwareResourceType).Empty();
}

}  // namespace dvdsp::core
