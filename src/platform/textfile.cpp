#include "textfile.h"
