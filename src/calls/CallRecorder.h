// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pop/ICallSink.h"

#include <QObject>
#include <QThread>
#include <QTimer>

struct Settings;
class CallStore;

// Records every call the sources hand on, and later how it ended, in the call list while the
// CallList setting is on. The file is written on a thread of its own, so that neither a slow
// disk nor another program's lock ever holds up a pop or the windows.
class CallRecorder : public QObject, public ICallSink
{
    Q_OBJECT

public:
    // `settings` is read at each call. Nothing is opened before the first start() or call.
    CallRecorder(const Settings &settings, QString path, QObject *parent = nullptr);
    ~CallRecorder() override;

    // With the list on: opens it and removes old calls, then again once a day.
    void start();
    // The file, for readers of their own (the Calls window opens it read-only).
    const QString &path() const { return m_path; }
    // Returns once every write handed over so far is done.
    void flush();

    void callRecognised(const Call &call) override;
    void callEnded(const CallEnd &end) override;

signals:
    // A call was written.
    void callRecorded(const Call &call);
    // Rows changed: an outcome came, old calls went, a call was written.
    void callListChanged();
    // Once for each unreadable file set aside; `text` says where, for the user.
    void listMovedAside(const QString &text);

private:
    void startStore();
    void prune();

    const Settings &m_settings;
    QString m_path;
    QThread m_thread;
    CallStore *m_store = nullptr; // lives on m_thread
    QTimer m_daily;
};
