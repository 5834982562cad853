// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frmMain.h"

#include "app/Layout.h"
#include "app/MainControls.h"
#include "app/NetFailMark.h"
#include "forms/FormBuilder.h"
#include "forms/ScreenFit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <cmath>

frmMain::frmMain(QWidget *browser, QWidget *parent)
    : QWidget(parent), m_browser(browser), m_lblNetFail(new NetFailMark(this))
{
    setObjectName(QStringLiteral("frmMain"));
    m_controls = buildForm(
        *this, kMainControls,
        {{QStringLiteral("browser"), m_browser}, {QStringLiteral("lblNetFail"), m_lblNetFail}});
    for (const ControlSpec &row : kMainControls) {
        if (row.kind == ControlKind::Button)
            m_buttons.push_back({&row, qobject_cast<QPushButton *>(
                                           m_controls.value(QString::fromLatin1(row.name)))});
    }
    // The web engine makes the pane's focus widget only for its first page, after the order
    // was set: without this, Tab goes from Settings to Dial and reaches the page last.
    m_browser->installEventFilter(this);
    m_lblNetFail->setAccessibleName(QStringLiteral("Network failure"));
    m_lblNetFail->setAccessibleDescription(
        QStringLiteral("The connection to the PBX is down or not logged in."));
    // Until monitoring has been started once (a start-up that failed before it did), the
    // switch offers to start it and there is no modem to dial with.
    showMonitoring(false);
    cmdDialer()->setEnabled(false);
    resize(toPixels(kMainClientWidth), toPixels(kMainClientHeight));
    layOut();

    // Hide minimises: the window stays on the task bar.
    connect(cmdHide(), &QPushButton::clicked, this,
            [this] { setWindowState(windowState() | Qt::WindowMinimized); });
}

QPushButton *frmMain::button(const char *name) const
{
    for (const PlacedButton &placed : m_buttons) {
        if (qstrcmp(placed.row->name, name) == 0)
            return placed.button;
    }
    return nullptr;
}

QWidget *frmMain::lblNetFail() const
{
    return m_lblNetFail;
}

double frmMain::twipsPerPixel() const
{
    return scaleOf(*this).twipsPerPixel();
}

int frmMain::toPixels(double twips) const
{
    return scaleOf(*this).toPixels(twips);
}

QSize frmMain::frameExtra() const
{
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    return {frame.width() - client.width(), frame.height() - client.height()};
}

QMargins frmMain::frameMargins() const
{
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

void frmMain::noteNormalFrame()
{
    if (isVisible() &&
        !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        m_normalFrame = frameMargins();
}

QList<int> frmMain::normalGeometryTwips() const
{
    const bool special =
        windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    QRect outer = frameGeometry();
    if (special && normalGeometry().isValid()) {
        // normalGeometry() is the client area; add the frame it has in the normal state (a
        // window manager may draw a maximised window with thinner borders).
        outer = normalGeometry().marginsAdded(m_normalFrame.value_or(frameMargins()));
    }
    const TwipsScale scale = scaleOf(*this);
    return {scale.toTwips(outer.x()), scale.toTwips(outer.y()), scale.toTwips(outer.width()),
            scale.toTwips(outer.height())};
}

void frmMain::restoreNormal()
{
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
}

void frmMain::showAndActivate()
{
    show();
    raise();
    activateWindow();
}

void frmMain::hideWindow()
{
    hide();
}

void frmMain::setGeometryTwips(int left, int top, int width, int height)
{
    // Stored twips can be anything up to 2^31: keep the pixels in range before fitting.
    auto pixels = [this](int twips) {
        return static_cast<int>(std::clamp(std::round(twips / twipsPerPixel()), -1e9, 1e9));
    };
    const QSize current = size() + frameExtra();
    QRect wanted(frameGeometry().topLeft(), current);
    if (left != 0)
        wanted.moveLeft(pixels(left));
    if (top != 0)
        wanted.moveTop(pixels(top));
    if (width > 0)
        wanted.setWidth(pixels(width));
    if (height > 0)
        wanted.setHeight(pixels(height));

    // A window larger than the screen costs memory for nothing and pops late; one off the
    // screen takes every pop with it.
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    const int frameTop = geometry().top() - frameGeometry().top();
    const QRect fitted = fitToScreen(
        wanted, areas, frameTop > 0 ? frameTop : style()->pixelMetric(QStyle::PM_TitleBarHeight));

    move(fitted.topLeft());
    if (width > 0 || fitted.width() != current.width())
        m_outerSize.setWidth(fitted.width());
    if (height > 0 || fitted.height() != current.height())
        m_outerSize.setHeight(fitted.height());
    if (!m_outerSize.isNull())
        applyOuterSize();
}

void frmMain::applyOuterSize()
{
    const QSize extra = frameExtra();
    const QSize outer = m_outerSize;
    // Until the window manager has framed the window its frame is unknown; the size is set
    // again once it is (see moveEvent and resizeEvent). Without one there is no frame.
    if (isVisible() && !extra.isNull())
        m_outerSize = QSize();
    resize(outer.width() > 0 ? qMax(1, outer.width() - extra.width()) : width(),
           outer.height() > 0 ? qMax(1, outer.height() - extra.height()) : height());
}

void frmMain::applyPendingOuterSize()
{
    if ((m_outerSize.width() > 0 || m_outerSize.height() > 0) && isVisible() &&
        !frameExtra().isNull())
        applyOuterSize();
}

void frmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    applyPendingOuterSize();
    layOutForNewFrame();
}

void frmMain::setCaption(const QString &caption)
{
    setWindowTitle(caption);
}

void frmMain::showMonitoring(bool on)
{
    // The button offers the opposite of what is.
    cmdToggle()->setText(on ? QStringLiteral("Disable &Monitor")
                            : QStringLiteral("&Enable Monitor"));
    emit monitoringShown(on);
}

void frmMain::setNetFailVisible(bool visible)
{
    m_lblNetFail->setVisible(visible);
    emit netFailShown(visible);
}

void frmMain::setDialerEnabled(bool enabled)
{
    cmdDialer()->setEnabled(enabled);
}

void frmMain::layOut()
{
    const TwipsScale scale = scaleOf(*this);
    m_laidOutFrame = frameExtra();
    const QSize outer = size() + m_laidOutFrame;
    const MainLayout layout = computeMainLayout(scale.twipsPerPixel() * outer.width(),
                                                scale.twipsPerPixel() * outer.height());
    placeInTwips(*m_browser, scale, layout.browserLeft, layout.browserTop, layout.browserWidth,
                 layout.browserHeight);
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        const ControlSpec &row = *m_buttons[i].row;
        placeInTwips(*m_buttons[i].button, scale, layout.buttonLeft[i], row.top, row.width,
                     row.height);
    }
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_browser && event->type() == QEvent::ChildAdded)
        QMetaObject::invokeMethod(
            this, [this] { chainTabOrder(kMainControls, m_controls); }, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    emit closed();
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyPendingOuterSize();
    noteNormalFrame();
    layOut();
}

void frmMain::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    applyPendingOuterSize();
    noteNormalFrame();
    layOutForNewFrame();
}

void frmMain::layOutForNewFrame()
{
    // The layout goes by the outer size: the first one ran before the window manager framed
    // the window (Quit 2 px left of its place under openbox), and framing resizes nothing.
    if (frameExtra() != m_laidOutFrame)
        layOut();
}

void frmMain::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        layOut();
}
