// Nothing is implemented in this part yet; see profiles.h for what will live here.
#include "core/profiles.h"
