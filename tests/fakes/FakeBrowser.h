// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/IBrowser.h"

#include <QStringList>

// Records navigations as "pane <url>" or "<target> <url>".
class FakeBrowser : public IBrowser
{
public:
    void navigate(const QString &url) override { log.append(QStringLiteral("pane ") + url); }
    void navigateNamed(const QString &target, const QString &url) override
    {
        log.append(target + QLatin1Char(' ') + url);
    }

    QStringList log;
};
