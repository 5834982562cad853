// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/frmConfig.h"

#include "forms/FormBuilder.h"
#include "forms/ScreenFit.h"
#include "settings/ConfigControls.h"
#include "settings/SettingsTable.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

frmConfig::frmConfig(const ConfigContext &context, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_controller(context)
{
    setObjectName(QStringLiteral("frmConfig"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The boxes are sized for an 8-point dialog font.
    QFont dialogFont = font();
    dialogFont.setPointSizeF(8);
    setFont(dialogFont);
    // The designed form scrolls inside the dialog where the screen is too small for it.
    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    m_content = new QWidget(scroll);
    scroll->setWidget(m_content);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins({});
    layout->addWidget(scroll);
    m_controls = buildForm(*m_content, kConfigControls);
    // A text box holds 32,767 characters unless told otherwise; OK would cut a longer value.
    for (QLineEdit *box : findChildren<QLineEdit *>())
        box->setMaxLength(std::numeric_limits<int>::max());
    fitLabels();
    const TwipsScale scale = scaleOf(*this);
    m_content->setFixedSize(scale.toPixels(kConfigClientWidth),
                            scale.toPixels(kConfigClientHeight));
    setFixedSize(m_content->size());
    control("txtAPort")->setFocus();

    connect(cmdOK(), &QPushButton::clicked, this, &frmConfig::cmdOK_Click);
    connect(cmdCancel(), &QPushButton::clicked, this, &frmConfig::cmdCancel_Click);
}

void frmConfig::fitLabels()
{
    // A wide sans font (DejaVu Sans, common on Linux) would cut the longest labels short:
    // narrow the dialog's font step by step until every label and check box fits its box.
    const QList<QLabel *> labels = findChildren<QLabel *>();
    const QList<QCheckBox *> boxes = findChildren<QCheckBox *>();
    auto fit = [&] {
        return std::all_of(labels.begin(), labels.end(),
                           [](const QLabel *label) {
                               return label->fontMetrics().horizontalAdvance(label->text()) <=
                                      label->width();
                           }) &&
               std::all_of(boxes.begin(), boxes.end(), [](const QCheckBox *box) {
                   return box->sizeHint().width() <= box->width();
               });
    };
    for (int stretch = 99; stretch >= 60 && !fit(); --stretch) {
        QFont narrowed = font();
        narrowed.setStretch(stretch);
        setFont(narrowed);
    }
}

QWidget *frmConfig::control(const char *name) const
{
    return m_controls.value(QString::fromLatin1(name));
}

QPushButton *frmConfig::cmdOK() const
{
    return qobject_cast<QPushButton *>(control("cmdOK"));
}

QPushButton *frmConfig::cmdCancel() const
{
    return qobject_cast<QPushButton *>(control("cmdCancel"));
}

void frmConfig::load()
{
    centre();
    setWindowTitle(ConfigController::caption());
    const ConfigController::Texts texts = m_controller.load();
    for (const char *name : SettingsTable::kOptionsKeys) {
        const QString text = texts.value(QString::fromLatin1(name));
        QWidget *control = m_controls.value(configControlName(name));
        if (auto *list = qobject_cast<QComboBox *>(control))
            list->setCurrentIndex(text.toInt());
        else if (auto *box = qobject_cast<QCheckBox *>(control))
            box->setChecked(text == QLatin1String("1"));
        else
            qobject_cast<QLineEdit *>(control)->setText(text);
    }
    cmdCancel()->setEnabled(m_controller.cancelEnabled());
}

ConfigController::Texts frmConfig::texts() const
{
    ConfigController::Texts texts;
    for (const char *key : SettingsTable::kOptionsKeys) {
        QWidget *control = m_controls.value(configControlName(key));
        QString text;
        if (auto *list = qobject_cast<QComboBox *>(control))
            text = QString::number(list->currentIndex());
        else if (auto *box = qobject_cast<QCheckBox *>(control))
            text = box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
        else
            text = qobject_cast<QLineEdit *>(control)->text();
        texts.insert(QString::fromLatin1(key), text);
    }
    return texts;
}

void frmConfig::centre()
{
    // Until the window manager has framed the dialog, its frame counts as nothing.
    const QSize frame = frameGeometry().size() - size();
    const QRect available = screen()->availableGeometry();
    setFixedSize(fitScrolled(m_content->size(), frame, available.size(),
                             style()->pixelMetric(QStyle::PM_ScrollBarExtent)));
    const QRect whole = screen()->geometry();
    const QSize outer = size() + frame;
    const QRect centred(whole.x() + (whole.width() - outer.width()) / 2,
                        whole.y() + (whole.height() - outer.height()) / 2, outer.width(),
                        outer.height());
    // All of it off the panels, not only the title bar.
    move(fitToScreen(centred, {available}, outer.height()).topLeft());
}

void frmConfig::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The window manager tells the frame around the dialog only after it is shown: centre
    // again once the outer size is known (without a frame, the first try is already right).
    if (!event->spontaneous())
        centreOnceFramed(10);
}

void frmConfig::centreOnceFramed(int triesLeft)
{
    QTimer::singleShot(triesLeft == 10 ? 0 : 30, this, [this, triesLeft] {
        centre();
        if (frameGeometry() == geometry() && triesLeft > 1)
            centreOnceFramed(triesLeft - 1);
    });
}

void frmConfig::cmdOK_Click()
{
    if (m_controller.ok(texts()))
        close();
}

void frmConfig::cmdCancel_Click()
{
    if (m_controller.cancelEnabled())
        close();
}

// As in a dialog box: Escape is Cancel, Enter presses the button that has the focus, else OK.
void frmConfig::keyPressEvent(QKeyEvent *event)
{
    auto *focused = qobject_cast<QPushButton *>(focusWidget());
    if (event->matches(QKeySequence::Cancel))
        cmdCancel_Click();
    else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        (focused ? focused : cmdOK())->click();
    else
        QWidget::keyPressEvent(event);
}

void frmConfig::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (m_controller.closed())
        emit endProgram();
}
