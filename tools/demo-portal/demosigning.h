// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>

// Signatures of the update server's installer, in the minisign tool's format.
namespace demo {

struct SigningKey {
    std::array<std::uint8_t, 8> id{};
    std::array<std::uint8_t, 64> secret{}; // Ed25519: seed and public key
};

// The demo update key, demo-update-key.pub and .sec beside this file. DEMO
// ONLY: its secret half is published with the sources, so it proves nothing
// but that the signing path works.
const SigningKey& demoKey();
// The public key's base64 line, as servers.ini's UpdateKey takes it.
std::string demoPublicKey();
// A key nobody trusts.
SigningKey randomKey();

// A prehashed ("ED") signature file of file, as "minisign -S" writes one.
std::string minisignature(const std::string& file, const SigningKey& key,
                          const std::string& trustedComment);

} // namespace demo
