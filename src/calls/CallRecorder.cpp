// SPDX-License-Identifier: GPL-3.0-or-later
#include "calls/CallRecorder.h"

#include "calls/CallSchema.h"
#include "calls/CallStore.h"
#include "settings/Settings.h"

namespace {
constexpr int kDayMs = 24 * 60 * 60 * 1000;
}

CallRecorder::CallRecorder(const Settings &settings, QString path, QObject *parent)
    : QObject(parent), m_settings(settings), m_path(std::move(path))
{
    m_thread.setObjectName(QStringLiteral("call list"));
    m_daily.setInterval(kDayMs);
    connect(&m_daily, &QTimer::timeout, this, &CallRecorder::prune);
}

// The connection belongs to the writer's thread and is closed there.
CallRecorder::~CallRecorder()
{
    if (!m_store)
        return;
    QMetaObject::invokeMethod(
        m_store, [store = m_store] { delete store; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void CallRecorder::start()
{
    if (m_settings.CallList)
        startStore();
}

void CallRecorder::startStore()
{
    if (m_store)
        return;
    m_store = new CallStore(m_path);
    m_store->moveToThread(&m_thread);
    connect(m_store, &CallStore::recorded, this, [this](const Call &call) {
        emit callRecorded(call);
        emit callListChanged();
    });
    connect(m_store, &CallStore::changed, this, &CallRecorder::callListChanged);
    connect(m_store, &CallStore::movedAside, this, &CallRecorder::listMovedAside);
    m_thread.start();
    prune(); // opens the file first
    m_daily.start();
}

void CallRecorder::prune()
{
    QMetaObject::invokeMethod(
        m_store, [store = m_store, max = m_settings.CallListMax, days = m_settings.CallListDays] {
            store->prune(max, days, QDateTime::currentDateTimeUtc());
        });
}

void CallRecorder::flush()
{
    if (m_store)
        QMetaObject::invokeMethod(
            m_store, [] {}, Qt::BlockingQueuedConnection);
}

void CallRecorder::callRecognised(const Call &call)
{
    if (!m_settings.CallList)
        return;
    startStore();
    const QLatin1StringView outcome = call.direction == Call::Direction::Out  ? CallSchema::kPlaced
                                      : call.source == Call::Source::Asterisk ? CallSchema::kRinging
                                                                              : CallSchema::kRang;
    QMetaObject::invokeMethod(m_store,
                              [store = m_store, call, outcome] { store->record(call, outcome); });
}

void CallRecorder::callEnded(const CallEnd &end)
{
    if (m_settings.CallList && m_store)
        QMetaObject::invokeMethod(m_store, [store = m_store, end] { store->end(end); });
}
