// Nothing is implemented in this part yet; see processing.h for what will live here.
#include "core/processing.h"
