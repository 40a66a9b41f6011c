#include "fakemediaplayer.h"
