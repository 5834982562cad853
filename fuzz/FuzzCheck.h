// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// A property that does not hold is a finding: the abort makes libFuzzer keep the input.
#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? void() : qFatal("%s:%d: property failed: %s", __FILE__, __LINE__, #condition))

inline QByteArrayView fuzzBytes(const uint8_t *data, size_t size)
{
    return QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size));
}
