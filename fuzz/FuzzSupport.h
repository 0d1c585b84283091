#pragma once

// Pieces every fuzz target shares: the entry points libFuzzer calls, the
// input as the text a user or a file would hand over, and a check that
// stops the run with a readable report when a property does not hold.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);

namespace sorvane::fuzz {

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// What a field would hold: the bytes read as UTF-8 (bad sequences become
// U+FFFD, as a paste of broken text would).
inline QString text(const uint8_t *data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

[[noreturn]] inline void fail(const char *file, int line, const char *what, const QString &detail)
{
    std::fprintf(stderr, "%s:%d: property broken: %s\n%s\n", file, line, what, detail.toUtf8().constData());
    std::abort();
}

} // namespace sorvane::fuzz

// A property of the input; the detail names the values involved.
#define FUZZ_CHECK(cond, detail)                                                                                       \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            ::sorvane::fuzz::fail(__FILE__, __LINE__, #cond, (detail));                                                \
    } while (0)
