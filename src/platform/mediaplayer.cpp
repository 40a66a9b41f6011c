#include "mediaplayer.h"
