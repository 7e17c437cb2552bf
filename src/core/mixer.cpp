// Nothing is implemented in this part yet; see mixer.h for what will live here.
#include "core/mixer.h"
