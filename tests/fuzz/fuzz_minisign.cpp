// SPDX-License-Identifier: GPL-3.0-or-later
// The installer's signature file, checked against a fixed key and file: no
// input other than the maker's own signatures may pass, and whatever parses
// reads back from its own text.
#include "fuzzcheck.h"
#include "minisign.h"

#include <algorithm>

using namespace qv::minisign;

namespace {

// The throw-away key of tests/updates/minisign/ and the file it signed.
const QString kKey = QStringLiteral("RWSBhG6nIweguhGzFHb1q96yW7qQ6dRDD+EkOJlMyBX1FPmz1LRhYuF3");
const QByteArray kFile = QByteArrayLiteral("A small installer stand-in.\r\nSecond line.\r\n");
// The file signatures the key made (prehashed and legacy), base64 of the
// 64 signature bytes.
const QByteArray kSignatures[] = {
    QByteArray::fromBase64("RUSBhG6nIwegupMQlJoRdTslXI0v5RZZmeyCuL7ddruNZvHB5jPY0hWSEjchJkKKif1vVK"
                           "iJeqzGx6hNZWh52PUlWSRb3m10EwI=")
        .mid(10),
    QByteArray::fromBase64("RWSBhG6nIweguo99jODUBd10qtg+GEi9HYbUxpy9BXvlhKp8YqsyBQ+dttgC1nDey5a7v6"
                           "RZv3hluJeooUlbCWTeOQcBLRWPqwU=")
        .mid(10),
};

template <std::size_t N> QByteArray raw(const std::array<std::uint8_t, N>& a) {
    return QByteArray(reinterpret_cast<const char*>(a.data()), qsizetype(N));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input = qv::fuzz::bytes(data, size);
    static const std::vector<PublicKey> keys = parseKeys(kKey);
    QV_FUZZ_CHECK(keys.size() == 1);

    const auto signature = parseSignature(input);
    const Verdict verdict = verify(keys, input, kFile);
    QV_FUZZ_CHECK(verdict != Verdict::NoKey && verdict != Verdict::NoSignature);
    QV_FUZZ_CHECK(signature.has_value() == (verdict != Verdict::Malformed));
    if (verdict == Verdict::Valid) {
        QV_FUZZ_CHECK(std::ranges::find(kSignatures, raw(signature->signature)) !=
                      std::end(kSignatures));
    }
    if (signature) {
        // The same signature written out anew parses to the same values.
        const QByteArray line = QByteArray(signature->prehashed ? "ED" : "Ed") +
                                raw(signature->keyId) + raw(signature->signature);
        const QByteArray text = "untrusted comment: again\n" + line.toBase64() +
                                "\ntrusted comment: " + signature->trustedComment + "\n" +
                                raw(signature->globalSignature).toBase64() + "\n";
        const auto again = parseSignature(text);
        QV_FUZZ_CHECK(again && again->prehashed == signature->prehashed &&
                      again->keyId == signature->keyId &&
                      again->signature == signature->signature &&
                      again->trustedComment == signature->trustedComment &&
                      again->globalSignature == signature->globalSignature);
        QV_FUZZ_CHECK(verify(keys, text, kFile) == verdict);
    }

    // Keys: each one found is base64 that the input holds.
    for (const PublicKey& key : parseKeys(QString::fromLatin1(input))) {
        const QByteArray line = ("Ed" + raw(key.id) + raw(key.key)).toBase64();
        QV_FUZZ_CHECK(input.contains(line));
    }
    return 0;
}
