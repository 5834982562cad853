// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/ConfigContext.h"
#include "settings/frmConfig.h"

#include <QObject>
#include <QPointer>

// Keeps to one Options dialog: opening hides the main window and then either creates and
// loads the dialog or brings the open one to the front.
class ConfigOpener : public QObject
{
    Q_OBJECT

public:
    explicit ConfigOpener(const ConfigContext &context, QObject *parent = nullptr);
    // An open dialog goes with the program it belongs to.
    ~ConfigOpener() override;

    void open();
    frmConfig *current() const { return m_open; }

signals:
    void endProgram();

private:
    ConfigContext m_context;
    QPointer<frmConfig> m_open;
};
