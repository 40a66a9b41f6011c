// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fakemediaplayer.h"
#include "form1.h"
#include "program.h"
#include "testinstall.h"

#include <memory>

// The installation most handler tests start from: no start report, and every
// server at the portal when one is given.
inline std::unique_ptr<TestInstall> quietInstall(const demo::Portal* portal = nullptr) {
    auto install = std::make_unique<TestInstall>();
    if (portal)
        install->usePortal(*portal);
    install->writeSettings({"[General]", "Reportstarts=0"});
    return install;
}

// The program started with the scripted player (handed out through player)
// and without the update check.
inline std::unique_ptr<qv::Form1> startWithFakePlayer(qv::FakeMediaPlayer** player = nullptr) {
    auto fake = std::make_unique<qv::FakeMediaPlayer>();
    if (player)
        *player = fake.get();
    return qv::startProgram(std::move(fake), qv::UpdateCheck::Skip);
}
