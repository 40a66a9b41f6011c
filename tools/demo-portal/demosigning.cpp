// SPDX-License-Identifier: GPL-3.0-or-later
#include "demosigning.h"

#include "demokey.h" // generated from demo-update-key.pub and .sec

#include <sodium.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace demo {

namespace {

void ready() {
    if (sodium_init() < 0)
        throw std::runtime_error("libsodium cannot start");
}

std::vector<unsigned char> fromBase64(const std::string& text) {
    std::vector<unsigned char> out(text.size());
    std::size_t length = 0;
    if (sodium_base642bin(out.data(), out.size(), text.data(), text.size(), nullptr, &length,
                          nullptr, sodium_base64_VARIANT_ORIGINAL) != 0)
        throw std::runtime_error("bad base64 in the demo update key");
    out.resize(length);
    return out;
}

std::string toBase64(const unsigned char* bytes, std::size_t size) {
    std::string out(sodium_base64_encoded_len(size, sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(out.data(), out.size(), bytes, size, sodium_base64_VARIANT_ORIGINAL);
    out.resize(out.size() - 1); // the terminating zero
    return out;
}

std::array<unsigned char, 64> sign(const unsigned char* message, std::size_t size,
                                   const SigningKey& key) {
    std::array<unsigned char, 64> signature{};
    crypto_sign_detached(signature.data(), nullptr, message, size, key.secret.data());
    return signature;
}

} // namespace

const SigningKey& demoKey() {
    static const SigningKey key = [] {
        ready();
        // An unencrypted minisign secret key: "Ed", the key derivation (none),
        // "B2", salt, limits, then the key id and the secret key.
        const std::vector<unsigned char> raw = fromBase64(kDemoSecretKey);
        if (raw.size() != 158 || raw[0] != 'E' || raw[1] != 'd' || raw[2] != 0 || raw[3] != 0)
            throw std::runtime_error("the demo update key is not an unencrypted minisign key");
        SigningKey k;
        std::copy_n(raw.begin() + 54, k.id.size(), k.id.begin());
        std::copy_n(raw.begin() + 62, k.secret.size(), k.secret.begin());
        return k;
    }();
    return key;
}

std::string demoPublicKey() {
    return kDemoPublicKey;
}

SigningKey randomKey() {
    ready();
    SigningKey k;
    std::array<unsigned char, 32> publicKey{};
    crypto_sign_keypair(publicKey.data(), k.secret.data());
    randombytes_buf(k.id.data(), k.id.size());
    return k;
}

std::string minisignature(const std::string& file, const SigningKey& key,
                          const std::string& trustedComment) {
    ready();
    std::array<unsigned char, 64> hash{};
    crypto_generichash(hash.data(), hash.size(),
                       reinterpret_cast<const unsigned char*>(file.data()), file.size(), nullptr,
                       0);
    const std::array<unsigned char, 64> fileSignature = sign(hash.data(), hash.size(), key);

    std::vector<unsigned char> line = {'E', 'D'};
    line.insert(line.end(), key.id.begin(), key.id.end());
    line.insert(line.end(), fileSignature.begin(), fileSignature.end());
    // The global signature covers the file signature and the trusted comment.
    std::vector<unsigned char> global(fileSignature.begin(), fileSignature.end());
    global.insert(global.end(), trustedComment.begin(), trustedComment.end());
    const std::array<unsigned char, 64> globalSignature = sign(global.data(), global.size(), key);

    return "untrusted comment: signature from the demo update key\n" +
           toBase64(line.data(), line.size()) + "\ntrusted comment: " + trustedComment + "\n" +
           toBase64(globalSignature.data(), globalSignature.size()) + "\n";
}

} // namespace demo
