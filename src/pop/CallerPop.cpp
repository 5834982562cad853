#include "pop/CallerPop.h"

#include "platform/IBrowser.h"
#include "platform/IMainWindow.h"
#include "settings/Globals.h"

namespace {
// The engine has no "about:clear"; the browser adapter shows an empty page for it.
const QString kClear = QStringLiteral("about:clear");
} // namespace

CallerPop::CallerPop(const Globals &globals, IBrowser &browser, IMainWindow &window,
                     CodePage codePage)
    : m_globals(globals), m_browser(browser), m_window(window), m_codePage(codePage)
{
}

void CallerPop::ShowCaller(QString &number, QString &name)
{
    number = DigitsOnly(TrimSpaces(number));
    name = TrimSpaces(name);
    const QString url = FillTemplate(m_globals.URL, number, name, m_codePage);
    if (number.isEmpty())
        return;

    if (!m_globals.newwin) {
        m_window.RestoreNormal();
        m_window.ShowAndActivate();
        m_browser.Navigate(kClear);
        m_browser.Navigate(url);
    } else {
        m_browser.NavigateNamed(m_globals.Target, kClear);
        m_browser.NavigateNamed(m_globals.Target, url);
    }
}
