// SPDX-License-Identifier: GPL-3.0-or-later
#include "minisign.h"

#include <sodium.h>

#include <QList>
#include <QRegularExpression>
#include <algorithm>
#include <cstring>

namespace qv::minisign {

namespace {

bool sodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// Base64 of exactly N bytes, in its one canonical spelling. Not libsodium's
// decoder: version 1.0.18 takes the byte 0xFF for a '/'.
template <std::size_t N> bool decode(QByteArrayView text, std::array<std::uint8_t, N>& out) {
    const auto result = QByteArray::fromBase64Encoding(
        text.toByteArray(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!result || result.decoded.size() != qsizetype(N) || result.decoded.toBase64() != text)
        return false;
    std::memcpy(out.data(), result.decoded.constData(), N);
    return true;
}

QByteArrayView withoutCr(QByteArrayView line) {
    return line.endsWith('\r') ? line.chopped(1) : line;
}

bool signedBy(const std::array<std::uint8_t, 64>& signature, QByteArrayView message,
              const PublicKey& key) {
    return crypto_sign_verify_detached(signature.data(),
                                       reinterpret_cast<const unsigned char*>(message.data()),
                                       std::size_t(message.size()), key.key.data()) == 0;
}

} // namespace

std::vector<PublicKey> parseKeys(const QString& text) {
    std::vector<PublicKey> keys;
    if (!sodiumReady())
        return keys;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (const QString& word : text.split(blanks, Qt::SkipEmptyParts)) {
        std::array<std::uint8_t, 42> raw{};
        if (!decode(QByteArrayView(word.toLatin1()), raw) || raw[0] != 'E' || raw[1] != 'd')
            continue;
        PublicKey key;
        std::copy_n(raw.begin() + 2, key.id.size(), key.id.begin());
        std::copy_n(raw.begin() + 10, key.key.size(), key.key.begin());
        keys.push_back(key);
    }
    return keys;
}

std::optional<Signature> parseSignature(QByteArrayView file) {
    if (!sodiumReady())
        return std::nullopt;
    // Four lines, the last one's line end optional.
    QList<QByteArrayView> lines;
    for (qsizetype start = 0; start < file.size() && lines.size() <= 4;) {
        const qsizetype end = file.indexOf('\n', start);
        const qsizetype stop = end < 0 ? file.size() : end;
        lines.append(withoutCr(file.sliced(start, stop - start)));
        start = stop + 1;
    }
    if (lines.size() != 4)
        return std::nullopt;
    constexpr QByteArrayView untrusted("untrusted comment: ");
    constexpr QByteArrayView trusted("trusted comment: ");
    if (!lines[0].startsWith(untrusted) || !lines[2].startsWith(trusted))
        return std::nullopt;

    std::array<std::uint8_t, 74> raw{};
    if (!decode(lines[1], raw) || raw[0] != 'E' || (raw[1] != 'd' && raw[1] != 'D'))
        return std::nullopt;
    Signature s;
    s.prehashed = raw[1] == 'D';
    std::copy_n(raw.begin() + 2, s.keyId.size(), s.keyId.begin());
    std::copy_n(raw.begin() + 10, s.signature.size(), s.signature.begin());
    s.trustedComment = lines[2].sliced(trusted.size()).toByteArray();
    if (!decode(lines[3], s.globalSignature))
        return std::nullopt;
    return s;
}

QString reason(Verdict verdict) {
    switch (verdict) {
    case Verdict::Valid:
        return QStringLiteral("a valid signature");
    case Verdict::NoKey:
        return QStringLiteral("no update key configured");
    case Verdict::NoSignature:
        return QStringLiteral("no signature");
    case Verdict::Malformed:
        return QStringLiteral("a malformed signature");
    case Verdict::UnknownKey:
        return QStringLiteral("an unknown key");
    case Verdict::Mismatch:
        return QStringLiteral("a signature that does not match");
    }
    return {};
}

struct Verifier::HashState {
    crypto_generichash_state state;
};

Verifier::Verifier(std::vector<PublicKey> keys, std::optional<QByteArray> signatureFile)
    : keys_(std::move(keys)) {
    if (keys_.empty()) {
        verdict_ = Verdict::NoKey;
        return;
    }
    if (!signatureFile) {
        verdict_ = Verdict::NoSignature;
        return;
    }
    signature_ = parseSignature(*signatureFile);
    if (!signature_) {
        verdict_ = Verdict::Malformed;
        return;
    }
    const auto key = std::ranges::find(keys_, signature_->keyId, &PublicKey::id);
    if (key == keys_.end()) {
        verdict_ = Verdict::UnknownKey;
        return;
    }
    key_ = &*key;
    // The trusted comment is signed together with the file's signature.
    QByteArray global(reinterpret_cast<const char*>(signature_->signature.data()),
                      qsizetype(signature_->signature.size()));
    global += signature_->trustedComment;
    if (!signedBy(signature_->globalSignature, global, *key_)) {
        verdict_ = Verdict::Mismatch;
        return;
    }
    if (signature_->prehashed) {
        hash_ = std::make_unique<HashState>();
        crypto_generichash_init(&hash_->state, nullptr, 0, crypto_generichash_BYTES_MAX);
    }
}

Verifier::~Verifier() = default;

void Verifier::add(QByteArrayView piece) {
    if (verdict_ != Verdict::Valid || finished_)
        return;
    if (hash_)
        crypto_generichash_update(&hash_->state,
                                  reinterpret_cast<const unsigned char*>(piece.data()),
                                  std::size_t(piece.size()));
    else
        whole_.append(piece);
}

Verdict Verifier::finish() {
    if (verdict_ != Verdict::Valid || finished_)
        return verdict_;
    finished_ = true;
    if (hash_) {
        std::array<unsigned char, crypto_generichash_BYTES_MAX> digest{};
        crypto_generichash_final(&hash_->state, digest.data(), digest.size());
        const QByteArrayView message(reinterpret_cast<const char*>(digest.data()),
                                     qsizetype(digest.size()));
        verdict_ =
            signedBy(signature_->signature, message, *key_) ? Verdict::Valid : Verdict::Mismatch;
    } else {
        verdict_ =
            signedBy(signature_->signature, whole_, *key_) ? Verdict::Valid : Verdict::Mismatch;
        whole_.clear();
    }
    return verdict_;
}

VerifyingDevice::VerifyingDevice(QIODevice& target, Verifier& verifier)
    : target_(target), verifier_(verifier) {
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 VerifyingDevice::writeData(const char* data, qint64 size) {
    const qint64 written = target_.write(data, size);
    if (written > 0)
        verifier_.add(QByteArrayView(data, written));
    else if (written < 0)
        setErrorString(target_.errorString());
    return written;
}

Verdict verify(const std::vector<PublicKey>& keys, const std::optional<QByteArray>& signatureFile,
               QByteArrayView file) {
    Verifier verifier(keys, signatureFile);
    verifier.add(file);
    return verifier.finish();
}

} // namespace qv::minisign
