// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <exception>

// A failure that reaches the user as "source: description", e.g.
// "YAC listener: port 10629 is already in use".
class Failure : public std::exception
{
public:
    Failure(QString source, QString description)
        : m_source(std::move(source)), m_description(std::move(description)),
          m_utf8(text().toUtf8())
    {}

    const QString &source() const { return m_source; }
    const QString &description() const { return m_description; }
    QString text() const { return m_source + QStringLiteral(": ") + m_description; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_source;
    QString m_description;
    QByteArray m_utf8;
};
