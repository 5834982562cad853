// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pop/ICallSink.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <optional>

struct Settings;
class INotifier;

// Decides when a call earns a desktop notification, so that no caller goes unnoticed: each
// missed call, each caller whose page the next caller's replaced within a glance (or that was
// not popped at all), and each pop the page on screen kept from showing. The Notifications
// setting turns them off. "Show" and "Call back" on a notice come back as requests.
class CallNotices : public QObject, public ICallSink
{
    Q_OBJECT

public:
    // A page on screen for less than this was not seen.
    static constexpr qint64 kGlanceMs = 3000;

    explicit CallNotices(const Settings &settings, QObject *parent = nullptr);

    // The notifier may be set later, or not at all.
    void setNotifier(INotifier *notifier);

    void callRecognised(const Call &call) override;
    void callEnded(const CallEnd &end) override;
    // The page in the pane kept the newest pop from showing (a "leave this page?" answered No).
    void popKept();

    // "John Doe 555-0100", the newest caller; "" before the first.
    QString lastCaller() const { return m_lastCaller; }
    static QString callerText(const Call &call);

signals:
    void showRequested(const QString &number, const QString &name);
    void callBackRequested(const QString &number);
    // A call came or ended: the list, its counts and the last caller may have changed.
    void callsChanged();

private:
    void tell(const Call &call, const QString &title, const QString &why = {});
    void act(const QString &key, const QString &action);

    const Settings &m_settings;
    INotifier *m_notifier = nullptr;
    // The calls a notice may name, newest last, at most kKept of them.
    static constexpr qsizetype kKept = 500;
    QHash<QString, Call> m_calls;
    QStringList m_order;
    std::optional<Call> m_shown; // the newest caller whose page was shown
    QString m_lastCaller;
};
