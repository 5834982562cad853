#include "fakes/TestSupport.h"

#include <QFile>

namespace TestSupport {

QByteArray Fixture(const QString &relativePath)
{
    QFile file(QStringLiteral(RINGSCOUT_FIXTURES_DIR "/") + relativePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace TestSupport
