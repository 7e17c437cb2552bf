#include "core/model.h"
