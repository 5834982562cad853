// SPDX-License-Identifier: GPL-3.0-or-later
#include "calls/frmCalls.h"

#include "Version.h"
#include "calls/CallListModel.h"
#include "dialer/DialerOpener.h"
#include "pop/CallerPop.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QVBoxLayout>

frmCalls::frmCalls(CallList &list, CallerPop &pop, DialerOpener &dialer, QWidget *parent)
    : QWidget(parent, Qt::Window), m_list(list), m_pop(pop), m_dialer(dialer),
      m_model(new CallListModel(list, this)), m_filter(new QComboBox(this)),
      m_search(new QLineEdit(this)), m_view(new QTableView(this))
{
    setObjectName(QStringLiteral("frmCalls"));
    confirm = [this](const QString &question) {
        return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
    };
    setUpControls();
    layOut();

    m_typing.setSingleShot(true);
    m_typing.setInterval(250);
    connect(m_search, &QLineEdit::textChanged, &m_typing, qOverload<>(&QTimer::start));
    connect(&m_typing, &QTimer::timeout, this, &frmCalls::reload);
    connect(m_filter, &QComboBox::currentIndexChanged, this, &frmCalls::reload);
    connect(m_view, &QAbstractItemView::doubleClicked, this, &frmCalls::showPage);
    connect(m_model, &CallListModel::fetched, this, [this] {
        if (isVisible())
            markShownSeen();
    });
    reload();
}

void frmCalls::setUpControls()
{
    m_filter->setObjectName(QStringLiteral("cboFilter"));
    m_filter->addItems({QStringLiteral("All"), QStringLiteral("Missed")});
    m_search->setObjectName(QStringLiteral("txtSearch"));
    m_search->setPlaceholderText(QStringLiteral("Search number or name"));
    m_search->setClearButtonEnabled(true);
    m_view->setObjectName(QStringLiteral("lstCalls"));
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->setWordWrap(false);
    for (const auto &[column, width] : {std::pair{0, 150}, {1, 200}, {2, 130}, {3, 200}})
        m_view->setColumnWidth(column, width);
}

// The filter and the search above the list, the buttons below it.
void frmCalls::layOut()
{
    auto *top = new QHBoxLayout;
    auto *filterLabel = new QLabel(QStringLiteral("&Show:"), this);
    filterLabel->setBuddy(m_filter);
    top->addWidget(filterLabel);
    top->addWidget(m_filter);
    top->addWidget(m_search, 1);
    auto *buttons = new QHBoxLayout;
    auto *row = new QWidget(this);
    row->setLayout(buttons);
    connect(addButton("cmdShowPage", QStringLiteral("Show &Page"), row), &QPushButton::clicked,
            this, &frmCalls::showPage);
    connect(addButton("cmdCallBack", QStringLiteral("&Call Back"), row), &QPushButton::clicked,
            this, &frmCalls::callBack);
    connect(addButton("cmdCopy", QStringLiteral("C&opy Number"), row), &QPushButton::clicked, this,
            &frmCalls::copyNumber);
    connect(addButton("cmdDelete", QStringLiteral("&Delete"), row), &QPushButton::clicked, this,
            &frmCalls::deleteSelected);
    buttons->addStretch();
    connect(addButton("cmdClear", QStringLiteral("C&lear List…"), row), &QPushButton::clicked, this,
            &frmCalls::clearList);
    connect(addButton("cmdExport", QStringLiteral("&Export…"), row), &QPushButton::clicked, this,
            &frmCalls::exportAsked);
    buttons->setContentsMargins({});
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_view, 1);
    layout->addWidget(row);
    resize(900, 480);
}

QPushButton *frmCalls::addButton(const char *name, const QString &caption, QWidget *row)
{
    auto *button = new QPushButton(caption, row);
    button->setObjectName(QString::fromLatin1(name));
    row->layout()->addWidget(button);
    return button;
}

QString frmCalls::caption(int unseenMissed)
{
    return unseenMissed > 0 ? QStringLiteral("Calls (%1 missed)").arg(unseenMissed)
                            : QStringLiteral("Calls");
}

void frmCalls::reload()
{
    m_typing.stop();
    m_model->reload(CallList::Filter(m_filter->currentIndex()), m_search->text());
    if (m_model->rowCount() > 0)
        m_view->selectRow(0);
    refreshCaption();
}

void frmCalls::setFilter(CallList::Filter filter)
{
    m_filter->setCurrentIndex(int(filter));
}

void frmCalls::refreshCaption()
{
    setWindowTitle(caption(m_list.unseenMissed()));
    emit missedChanged();
}

// The rows keep their bold for as long as they are shown; the next reading shows them seen.
void frmCalls::markShownSeen()
{
    const QList<qint64> unseen = m_model->unseenRows();
    const bool missedOnly = m_model->query().filter == CallList::Filter::Missed &&
                            m_model->query().search.trimmed().isEmpty();
    if (missedOnly ? m_list.markAllMissedSeen() : m_list.markSeen(unseen))
        refreshCaption();
}

void frmCalls::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    markShownSeen();
}

void frmCalls::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_view->hasFocus())
        showPage();
    else if (event->matches(QKeySequence::Delete) && m_view->hasFocus())
        deleteSelected();
    else if (event->matches(QKeySequence::Find))
        m_search->setFocus();
    else
        QWidget::keyPressEvent(event);
}

QList<qint64> frmCalls::selectedRows() const
{
    QList<qint64> rows;
    for (const QModelIndex &index : m_view->selectionModel()->selectedRows())
        rows.append(m_model->entry(index.row()).row);
    return rows;
}

const CallList::Entry *frmCalls::current() const
{
    const QModelIndex index = m_view->currentIndex();
    return index.isValid() ? &m_model->entry(index.row()) : nullptr;
}

void frmCalls::showPage()
{
    if (const CallList::Entry *entry = current())
        m_pop.ShowCaller(entry->number, entry->name);
}

void frmCalls::callBack()
{
    if (const CallList::Entry *entry = current())
        m_dialer.dialFromPage(entry->number);
}

void frmCalls::copyNumber()
{
    QStringList numbers;
    for (const QModelIndex &index : m_view->selectionModel()->selectedRows())
        numbers.append(m_model->entry(index.row()).number);
    if (!numbers.isEmpty())
        QGuiApplication::clipboard()->setText(numbers.join(QLatin1Char('\n')));
}

void frmCalls::deleteSelected()
{
    const QList<qint64> rows = selectedRows();
    if (rows.isEmpty())
        return;
    if (!m_list.remove(rows))
        failed(QStringLiteral("The calls could not be deleted"));
    reload();
}

void frmCalls::clearList()
{
    if (!confirm(QStringLiteral("Delete every call in the list? This cannot be undone.")))
        return;
    if (!m_list.clear())
        failed(QStringLiteral("The list could not be cleared"));
    reload();
}

bool frmCalls::exportTo(const QString &path)
{
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         m_list.exportCsv(m_model->query(), file) && file.commit();
    if (!written)
        failed(QStringLiteral("The calls could not be written to %1")
                   .arg(QDir::toNativeSeparators(path)));
    return written;
}

void frmCalls::exportAsked()
{
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export Calls"), QDir::home().filePath(QStringLiteral("calls.csv")),
        QStringLiteral("CSV files (*.csv)"));
    if (!path.isEmpty())
        exportTo(path);
}

void frmCalls::failed(const QString &what)
{
    const QString why = m_list.error();
    QMessageBox::warning(this, windowTitle(),
                         why.isEmpty() ? what + QLatin1Char('.')
                                       : what + QStringLiteral(": ") + why);
}
