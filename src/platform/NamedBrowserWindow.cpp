// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NamedBrowserWindow.h"

#include "Version.h"

#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

NamedBrowserWindow::NamedBrowserWindow(const QString &name, QWebEnginePage *page)
    : m_view(new QWebEngineView(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(name.isEmpty() ? QString::fromUtf8(Version::Title) : name);
    page->setParent(m_view);
    m_view->setPage(page);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    resize(1000, 750);
}
