#pragma once
// Decoded replies as JSON text, for dumps and raw exchanges.

#include <string>
#include <vector>

#include "link/messages.h"

struct cJSON;

namespace dvdsp::cli {

// Returns a new cJSON object describing the message (the caller owns it).
cJSON* MessageToJson(const link::Message& m);
// Name of a message number, as the windows know it.
const char* MessageName(uint32_t msg);

}  // namespace dvdsp::cli
