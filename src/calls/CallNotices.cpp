// SPDX-License-Identifier: GPL-3.0-or-later
#include "calls/CallNotices.h"

#include "platform/INotifier.h"
#include "pop/SearchUrl.h"
#include "settings/Settings.h"

CallNotices::CallNotices(const Settings &settings, QObject *parent)
    : QObject(parent), m_settings(settings)
{}

void CallNotices::setNotifier(INotifier *notifier)
{
    if (m_notifier)
        disconnect(m_notifier, nullptr, this, nullptr);
    m_notifier = notifier;
    if (m_notifier)
        connect(m_notifier, &INotifier::actionInvoked, this, &CallNotices::act);
}

QString CallNotices::callerText(const Call &call)
{
    const QString name = call.name.simplified(), number = call.number.simplified();
    return name.isEmpty() ? number : number.isEmpty() ? name : name + QLatin1Char(' ') + number;
}

void CallNotices::callRecognised(const Call &call)
{
    if (call.direction != Call::Direction::In)
        return;
    m_calls.insert(call.id, call);
    m_order.append(call.id);
    if (m_order.size() > kKept)
        m_calls.remove(m_order.takeFirst());
    m_lastCaller = callerText(call);
    // What the pop shows: a number that holds a digit, of a call the source pops.
    if (!call.pops) {
        tell(call, QStringLiteral("Call not shown"),
             QStringLiteral("Another caller's page was shown instead."));
    } else if (!DigitsOnly(call.number).isEmpty()) {
        if (m_shown && m_shown->recognised.msecsTo(call.recognised) < kGlanceMs)
            tell(*m_shown, QStringLiteral("Call shown only briefly"),
                 QStringLiteral("The next caller's page replaced it."));
        m_shown = call;
    }
    emit callsChanged();
}

void CallNotices::callEnded(const CallEnd &end)
{
    const auto call = m_calls.constFind(end.id);
    if (call != m_calls.cend() &&
        (end.outcome == CallOutcome::NotAnswered || end.outcome == CallOutcome::CallerGaveUp))
        tell(*call, QStringLiteral("Missed call"));
    emit callsChanged();
}

void CallNotices::popKept()
{
    if (m_shown)
        tell(*m_shown, QStringLiteral("Call not shown"),
             QStringLiteral("The page open in the window kept it from showing."));
}

void CallNotices::tell(const Call &call, const QString &title, const QString &why)
{
    if (!m_settings.Notifications || !m_notifier)
        return;
    const QString caller = callerText(call);
    m_notifier->notify(call.id, title, why.isEmpty() ? caller : caller + QLatin1Char('\n') + why);
}

void CallNotices::act(const QString &key, const QString &action)
{
    const auto call = m_calls.constFind(key);
    if (call == m_calls.cend())
        return;
    if (action == QLatin1String("show"))
        emit showRequested(call->number, call->name);
    else if (action == QLatin1String("callback"))
        emit callBackRequested(call->number);
}
