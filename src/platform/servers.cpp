#include "servers.h"
