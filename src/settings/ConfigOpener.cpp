// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ConfigOpener.h"

#include "platform/IMainWindow.h"
#include "settings/frmConfig.h"

ConfigOpener::ConfigOpener(const ConfigContext &context, QObject *parent)
    : QObject(parent), m_context(context)
{}

ConfigOpener::~ConfigOpener()
{
    delete m_open;
}

void ConfigOpener::open()
{
    m_context.window.hideWindow();
    if (!m_open) {
        m_open = new frmConfig(m_context);
        connect(m_open, &frmConfig::endProgram, this, &ConfigOpener::endProgram);
        m_open->load();
    }
    m_open->show();
    m_open->raise();
    m_open->activateWindow();
}
