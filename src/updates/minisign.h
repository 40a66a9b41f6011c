// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// Signatures in the format of the minisign tool, checked with libsodium:
// Ed25519 over the file itself ("Ed", the legacy form) or over its BLAKE2b-512
// hash ("ED", prehashed), plus a global signature over the file signature and
// the trusted comment.
namespace qv::minisign {

// A public key: the base64 line of a "minisign.pub" file decodes to "Ed",
// an 8-byte key id and the 32-byte Ed25519 key.
struct PublicKey {
    std::array<std::uint8_t, 8> id{};
    std::array<std::uint8_t, 32> key{};
};

// The keys of a blank-separated list of such lines, so that a key can be
// rolled over; a word that is not a key is left out.
std::vector<PublicKey> parseKeys(const QString& text);

// A signature file: an untrusted comment line, the base64 signature line,
// the trusted comment line and the base64 global signature line.
struct Signature {
    bool prehashed = false;
    std::array<std::uint8_t, 8> keyId{};
    std::array<std::uint8_t, 64> signature{};
    QByteArray trustedComment; // the text after "trusted comment: "
    std::array<std::uint8_t, 64> globalSignature{};
};
// std::nullopt when the file does not have exactly that form.
std::optional<Signature> parseSignature(QByteArrayView file);

enum class Verdict {
    Valid,
    NoKey,       // no key to check against
    NoSignature, // the signature file is missing
    Malformed,   // the signature file does not have the format
    UnknownKey,  // signed by a key that is not ours
    Mismatch,    // the file or the trusted comment is not what was signed
};
// The reason as the user is told it ("a signature that does not match").
QString reason(Verdict verdict);

// Checks a file as it arrives, so that a prehashed signature costs nothing
// at its end: the hash runs over every piece given to add(). A legacy
// signature needs the whole file, which is kept for it.
class Verifier {
public:
    // signatureFile is std::nullopt when there is none.
    Verifier(std::vector<PublicKey> keys, std::optional<QByteArray> signatureFile);
    ~Verifier();
    Verifier(const Verifier&) = delete;
    Verifier& operator=(const Verifier&) = delete;

    // The verdict so far: one known before any byte arrives (no key, no
    // signature, ...), Valid while the file is still open, the final one
    // after finish().
    Verdict verdict() const { return verdict_; }
    void add(QByteArrayView piece);
    Verdict finish();

private:
    struct HashState;
    std::vector<PublicKey> keys_;
    std::optional<Signature> signature_;
    const PublicKey* key_ = nullptr;
    Verdict verdict_ = Verdict::Valid;
    bool finished_ = false;
    std::unique_ptr<HashState> hash_;
    QByteArray whole_; // the file, for a legacy signature only
};

// Writes through to another device and hands the verifier every byte that
// the device took, so that a file is checked as it is stored.
class VerifyingDevice : public QIODevice {
public:
    VerifyingDevice(QIODevice& target, Verifier& verifier);

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    QIODevice& target_;
    Verifier& verifier_;
};

// The whole check at once.
Verdict verify(const std::vector<PublicKey>& keys, const std::optional<QByteArray>& signatureFile,
               QByteArrayView file);

} // namespace qv::minisign
