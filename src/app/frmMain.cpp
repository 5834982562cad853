#include "app/frmMain.h"

#include "app/Layout.h"
#include "app/NetFailMark.h"
#include "app/ScreenFit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <cmath>

frmMain::frmMain(QWidget *browser, QWidget *parent)
    : QWidget(parent), m_browser(browser), m_lblNetFail(new NetFailMark(this)),
      m_cmdQuit(new QPushButton(QStringLiteral("&Quit"), this)),
      m_cmdDialer(new QPushButton(QStringLiteral("&Dial"), this)),
      m_cmdHide(new QPushButton(QStringLiteral("&Hide"), this)),
      m_cmdToggle(new QPushButton(this)),
      m_cmdSettings(new QPushButton(QStringLiteral("&Settings"), this))
{
    setObjectName(QStringLiteral("frmMain"));
    m_lblNetFail->setObjectName(QStringLiteral("lblNetFail"));
    m_cmdQuit->setObjectName(QStringLiteral("cmdQuit"));
    m_cmdDialer->setObjectName(QStringLiteral("cmdDialer"));
    m_cmdHide->setObjectName(QStringLiteral("cmdHide"));
    m_cmdToggle->setObjectName(QStringLiteral("cmdToggle"));
    m_cmdSettings->setObjectName(QStringLiteral("cmdSettings"));
    m_browser->setParent(this);
    m_browser->show();
    // Until monitoring has been started once (a start-up that failed before it did), the
    // switch offers to start it and there is no modem to dial with.
    m_cmdToggle->setText(QStringLiteral("&Enable Monitor"));
    m_cmdDialer->setEnabled(false);

    setTabOrder(m_cmdQuit, m_cmdHide);
    setTabOrder(m_cmdHide, m_cmdToggle);
    setTabOrder(m_cmdToggle, m_cmdSettings);
    setTabOrder(m_cmdSettings, m_browser);
    setTabOrder(m_browser, m_cmdDialer);

    m_lblNetFail->setGeometry(0, 0, toPixels(495), toPixels(375));
    for (QPushButton *button : {m_cmdQuit, m_cmdDialer, m_cmdHide, m_cmdToggle, m_cmdSettings})
        button->setFocusPolicy(Qt::StrongFocus);
    // The designed client area.
    resize(toPixels(8745), toPixels(7350));
    LayOut();

    // Hide minimises: the window stays on the task bar.
    connect(m_cmdHide, &QPushButton::clicked, this,
            [this] { setWindowState(windowState() | Qt::WindowMinimized); });
}

QWidget *frmMain::lblNetFail() const
{
    return m_lblNetFail;
}

double frmMain::TwipsPerPixel() const
{
    const double dpi = logicalDpiX();
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

int frmMain::toPixels(double twips) const
{
    return static_cast<int>(std::lround(twips / TwipsPerPixel()));
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

QList<int> frmMain::NormalGeometryTwips() const
{
    const bool special = windowState() & (Qt::WindowMinimized | Qt::WindowMaximized |
                                          Qt::WindowFullScreen);
    QRect outer = frameGeometry();
    if (special && normalGeometry().isValid()) {
        // normalGeometry() is the client area; add the frame it has in the normal state (a
        // window manager may draw a maximised window with thinner borders).
        outer = normalGeometry().marginsAdded(m_normalFrame.value_or(frameMargins()));
    }
    const double tpp = TwipsPerPixel();
    auto twips = [tpp](int pixels) { return static_cast<int>(std::lround(pixels * tpp)); };
    return {twips(outer.x()), twips(outer.y()), twips(outer.width()), twips(outer.height())};
}

void frmMain::RestoreNormal()
{
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
}

void frmMain::ShowAndActivate()
{
    show();
    raise();
    activateWindow();
}

void frmMain::Hide()
{
    hide();
}

void frmMain::SetGeometryTwips(int left, int top, int width, int height)
{
    // Stored twips can be anything up to 2^31: keep the pixels in range before fitting.
    auto pixels = [this](int twips) {
        return static_cast<int>(std::clamp(std::round(twips / TwipsPerPixel()), -1e9, 1e9));
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
    const QRect fitted = FitToScreen(
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
}

void frmMain::SetCaption(const QString &caption)
{
    setWindowTitle(caption);
}

void frmMain::SetToggleCaption(const QString &caption)
{
    m_cmdToggle->setText(caption);
}

void frmMain::SetNetFailVisible(bool visible)
{
    m_lblNetFail->setVisible(visible);
}

void frmMain::SetDialerEnabled(bool enabled)
{
    m_cmdDialer->setEnabled(enabled);
}

void frmMain::LayOut()
{
    const double tpp = TwipsPerPixel();
    const QSize outer = size() + frameExtra();
    const MainLayout layout = ComputeMainLayout(outer.width() * tpp, outer.height() * tpp);
    m_browser->setGeometry(toPixels(layout.browserLeft), toPixels(layout.browserTop),
                           toPixels(layout.browserWidth), toPixels(layout.browserHeight));
    const QList<QPushButton *> buttons{m_cmdQuit, m_cmdDialer, m_cmdHide, m_cmdToggle,
                                       m_cmdSettings};
    for (int i = 0; i < buttons.size(); ++i) {
        buttons[i]->setGeometry(toPixels(layout.buttonLeft[i]), toPixels(kButtonTop),
                                toPixels(kButtonWidths[i]), toPixels(kButtonHeight));
    }
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
    LayOut();
}

void frmMain::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    applyPendingOuterSize();
    noteNormalFrame();
}

void frmMain::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        LayOut();
}
