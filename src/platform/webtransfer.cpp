#include "webtransfer.h"
