// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "demoportal.h"

// The demo portal without its radio streams.
inline demo::Options portalWithoutRadio() {
    demo::Options options;
    options.radioBind.clear();
    return options;
}

// The demo portal with its radio on free ports of the given address: the
// servers.ini it writes names them, so no test needs the usual ports, which
// another program on the machine may hold.
inline demo::Options portalWithRadio(const std::string& address = "127.0.0.2") {
    demo::Options options;
    options.radioBind = address;
    options.radioPorts[0] = options.radioPorts[1] = 0;
    return options;
}
