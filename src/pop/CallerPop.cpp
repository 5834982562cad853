// SPDX-License-Identifier: GPL-3.0-or-later
#include "pop/CallerPop.h"

#include "base/LogText.h"
#include "platform/IBrowser.h"
#include "platform/IMainWindow.h"
#include "settings/Settings.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcPop, "ringscout.pop", QtWarningMsg)

// The engine has no "about:clear"; the browser adapter shows an empty page for it.
const QString kClear = QStringLiteral("about:clear");
} // namespace

CallerPop::CallerPop(const Settings &settings, IBrowser &browser, IMainWindow &window,
                     CodePage codePage)
    : m_settings(settings), m_browser(browser), m_window(window), m_codePage(codePage)
{}

void CallerPop::ShowCaller(QString number, QString name)
{
    const QString given = number;
    number = DigitsOnly(trimSpaces(number));
    name = trimSpaces(name);
    const QString url = fillTemplate(m_settings.URL, number, name, m_codePage);
    if (number.isEmpty()) {
        qCDebug(lcPop) << "nothing shown: the number" << LogText(given) << "holds no digit";
        return;
    }

    if (!m_settings.newwin) {
        m_window.restoreNormal();
        m_window.showAndActivate();
        m_browser.navigate(kClear);
        m_browser.navigate(url);
        qCDebug(lcPop) << "shown in the main window:" << LogText(url);
    } else {
        m_browser.navigateNamed(m_settings.Target, kClear);
        m_browser.navigateNamed(m_settings.Target, url);
        qCDebug(lcPop) << "shown in the window" << LogText(m_settings.Target) << LogText(url);
    }
}
