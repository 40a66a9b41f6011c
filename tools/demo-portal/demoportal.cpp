#include "demoportal.h"
