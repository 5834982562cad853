// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QWebEnginePage;
class QWebEngineView;

// A top-level browser window titled with its name; it deletes itself when the user closes it.
class NamedBrowserWindow : public QWidget
{
    Q_OBJECT

public:
    NamedBrowserWindow(const QString &name, QWebEnginePage *page);

    QWebEngineView *view() const { return m_view; }

private:
    QWebEngineView *m_view;
};
