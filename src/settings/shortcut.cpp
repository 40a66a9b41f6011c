#include "shortcut.h"
