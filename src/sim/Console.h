// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>

class QCoreApplication;

// Reads what the user types on standard input, one line at a time, without blocking the
// event loop, and says when the input ends (Ctrl+D, or the end of a piped file).
class ConsoleInput : public QObject
{
    Q_OBJECT

public:
    explicit ConsoleInput(QObject *parent = nullptr);

signals:
    void lineRead(const QString &line);
    void ended();

private:
    void readAvailable();

    QSocketNotifier m_notifier;
    QByteArray m_pending;
};

namespace Console {

// One line on standard output, at once: a person or a test reads it as it happens.
void say(const QString &line);
// One line on standard error.
void complain(const QString &line);

// Ctrl+C, `kill` and a closed terminal end the event loop like a normal quit, so that what
// the simulator made on disk is cleaned up by the destructors.
void quitOnTerminationSignals(QCoreApplication &app);

} // namespace Console
