// Nothing is implemented in this part yet; see scenes.h for what will live here.
#include "core/scenes.h"
