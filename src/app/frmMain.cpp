#include "app/frmMain.h"

#include "app/Layout.h"
#include "app/NetFailMark.h"

#include <QEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

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

QList<int> frmMain::NormalGeometryTwips() const
{
    const bool special = windowState() & (Qt::WindowMinimized | Qt::WindowMaximized |
                                          Qt::WindowFullScreen);
    QRect outer = frameGeometry();
    if (special && normalGeometry().isValid()) {
        // normalGeometry() is the client area; add the frame around it.
        const QRect normal = normalGeometry();
        const QPoint offset = geometry().topLeft() - frameGeometry().topLeft();
        outer = QRect(normal.topLeft() - offset, normal.size() + frameExtra());
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

void frmMain::SetLeftTwips(int twips)
{
    move(toPixels(twips), frameGeometry().y());
}

void frmMain::SetTopTwips(int twips)
{
    move(frameGeometry().x(), toPixels(twips));
}

void frmMain::SetWidthTwips(int twips)
{
    m_outerSize.setWidth(toPixels(twips));
    applyOuterSize();
}

void frmMain::SetHeightTwips(int twips)
{
    m_outerSize.setHeight(toPixels(twips));
    applyOuterSize();
}

void frmMain::applyOuterSize()
{
    const QSize extra = frameExtra();
    resize(m_outerSize.width() > 0 ? qMax(1, m_outerSize.width() - extra.width()) : width(),
           m_outerSize.height() > 0 ? qMax(1, m_outerSize.height() - extra.height()) : height());
    // Until the window is shown its frame is unknown; the size is set again then.
    if (isVisible() && !extra.isNull())
        m_outerSize = QSize();
}

void frmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_outerSize.isNull())
        QTimer::singleShot(0, this, [this] {
            applyOuterSize();
            m_outerSize = QSize();
        });
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
    LayOut();
}

void frmMain::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        LayOut();
}
