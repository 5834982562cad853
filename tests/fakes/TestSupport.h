#pragma once

#include <QByteArray>
#include <QString>

namespace TestSupport {

// The bytes of a file under tests/fixtures, e.g. "ami/login-ok-call.bin". Empty when missing.
QByteArray Fixture(const QString &relativePath);

} // namespace TestSupport
