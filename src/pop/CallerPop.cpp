// SPDX-License-Identifier: GPL-3.0-or-later
#include "pop/CallerPop.h"

#include "platform/IBrowser.h"
#include "platform/IMainWindow.h"
#include "settings/Settings.h"

namespace {
// The engine has no "about:clear"; the browser adapter shows an empty page for it.
const QString kClear = QStringLiteral("about:clear");
} // namespace

CallerPop::CallerPop(const Settings &settings, IBrowser &browser, IMainWindow &window,
                     CodePage codePage)
    : m_settings(settings), m_browser(browser), m_window(window), m_codePage(codePage)
{}

void CallerPop::ShowCaller(QString &number, QString &name)
{
    number = DigitsOnly(TrimSpaces(number));
    name = TrimSpaces(name);
    const QString url = FillTemplate(m_settings.URL, number, name, m_codePage);
    if (number.isEmpty())
        return;

    if (!m_settings.newwin) {
        m_window.RestoreNormal();
        m_window.ShowAndActivate();
        m_browser.Navigate(kClear);
        m_browser.Navigate(url);
    } else {
        m_browser.NavigateNamed(m_settings.Target, kClear);
        m_browser.NavigateNamed(m_settings.Target, url);
    }
}
