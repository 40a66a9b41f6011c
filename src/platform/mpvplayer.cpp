#include "mpvplayer.h"
