// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken promise counts like a crash: report which one, then abort so that
// libFuzzer keeps the input as a reproducer.
#define QV_FUZZ_CHECK(condition)                                                                   \
    ((condition) ? void(0) : qv::fuzz::fail(#condition, __FILE__, __LINE__))

namespace qv::fuzz {

[[noreturn]] inline void fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: broken promise: %s\n", file, line, condition);
    std::abort();
}

// A directory for the files an input is written to, removed at a clean exit.
// It lies in TMPDIR: the writers commit with fsync, which on a disk costs most
// of each run, so scripts/fuzz points TMPDIR into memory (/dev/shm).
inline QString scratchDir() {
    static const QTemporaryDir dir;
    if (!dir.isValid())
        fail("a scratch directory could be made", __FILE__, __LINE__);
    return dir.path();
}

inline QByteArray bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

} // namespace qv::fuzz
