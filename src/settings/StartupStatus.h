// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Whether start-up failed and is not yet put right: set by start-up, cleared by monitoring
// once it has started the modem and Asterisk sources. While it is on, the Options dialog
// cannot be cancelled and closing it ends the program.
class StartupStatus
{
public:
    bool failed() const { return m_failed; }
    void setFailed(bool failed) { m_failed = failed; }

private:
    bool m_failed = false;
};
