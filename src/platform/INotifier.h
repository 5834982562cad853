// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// Desktop notifications with the actions "Show" and "Call back". Texts are plain: the
// adapter shows them literally. No call throws.
class INotifier : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // A later notice with the same key replaces the one before.
    virtual void notify(const QString &key, const QString &title, const QString &body) = 0;

signals:
    // `action` is "show" or "callback".
    void actionInvoked(const QString &key, const QString &action);
};
