// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>

// A timer with the members the program relies on: Interval, Enabled and a Tick event.
// An interval of 0 gives no ticks; changing the interval of a running timer restarts it.
class TimerControl : public QObject
{
    Q_OBJECT

public:
    explicit TimerControl(QObject *parent = nullptr);

    int Interval() const { return m_interval; }
    void SetInterval(int milliseconds);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);

signals:
    void tick();

private:
    void apply();

    QTimer m_timer;
    int m_interval = 0;
    bool m_enabled = false;
};
