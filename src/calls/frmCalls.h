// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calls/CallList.h"

#include <QTimer>
#include <QWidget>

#include <functional>

class CallListModel;
class CallerPop;
class DialerOpener;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;

// The Calls window: the call list newest first with its filter and search, and what a user
// does with a call: show its page again, call back, copy the number, delete, clear, export.
// Showing unseen missed calls marks them seen; the title counts those still unseen.
class frmCalls : public QWidget
{
    Q_OBJECT

public:
    frmCalls(CallList &list, CallerPop &pop, DialerOpener &dialer, QWidget *parent = nullptr);

    // Reads the list again (a call came, or one ended).
    void reload();
    void setFilter(CallList::Filter filter);
    bool exportTo(const QString &path);
    // "Calls (3 missed)".
    static QString caption(int unseenMissed);

    QTableView *lstCalls() const { return m_view; }
    CallListModel *model() const { return m_model; }
    // Asks the user whether to go on; a test answers instead.
    std::function<bool(const QString &question)> confirm;

signals:
    // The unseen missed count may have changed.
    void missedChanged();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void setUpControls();
    void layOut();
    QPushButton *addButton(const char *name, const QString &caption, QWidget *row);
    QList<qint64> selectedRows() const;
    const CallList::Entry *current() const;
    void markShownSeen();
    void refreshCaption();
    void showPage();
    void callBack();
    void copyNumber();
    void deleteSelected();
    void clearList();
    void exportAsked();
    void failed(const QString &what);

    CallList &m_list;
    CallerPop &m_pop;
    DialerOpener &m_dialer;
    CallListModel *m_model;
    QComboBox *m_filter;
    QLineEdit *m_search;
    QTableView *m_view;
    // The search waits for a pause in the typing.
    QTimer m_typing;
};
