#pragma once

#include "demoportal.h"

// The demo portal without its radio streams: their fixed ports belong to the
// tests that play the radio.
inline demo::Options portalWithoutRadio() {
    demo::Options options;
    options.radioBind.clear();
    return options;
}
