#include "app/frmMain.h"

#include "app/Layout.h"
#include "app/NetFailMark.h"
#include "forms/FormBuilder.h"

#include <QEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

frmMain::frmMain(QWidget *browser, QWidget *parent)
    : QWidget(parent), m_browser(browser), m_lblNetFail(new NetFailMark(this))
{
    setObjectName(QStringLiteral("frmMain"));
    const QHash<QString, QWidget *> controls = BuildForm(
        *this, kMainControls,
        {{QStringLiteral("browser"), m_browser}, {QStringLiteral("lblNetFail"), m_lblNetFail}});
    for (const ControlSpec &row : kMainControls) {
        if (row.kind == ControlKind::Button)
            m_buttons.push_back(
                {&row, qobject_cast<QPushButton *>(controls.value(QString::fromLatin1(row.name)))});
    }
    resize(toPixels(kMainClientWidth), toPixels(kMainClientHeight));
    LayOut();

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

double frmMain::TwipsPerPixel() const
{
    return ScaleOf(*this).TwipsPerPixel();
}

int frmMain::toPixels(double twips) const
{
    return ScaleOf(*this).ToPixels(twips);
}

QSize frmMain::frameExtra() const
{
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    return {frame.width() - client.width(), frame.height() - client.height()};
}

QList<int> frmMain::NormalGeometryTwips() const
{
    const bool special =
        windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    QRect outer = frameGeometry();
    if (special && normalGeometry().isValid()) {
        // normalGeometry() is the client area; add the frame around it.
        const QRect normal = normalGeometry();
        const QPoint offset = geometry().topLeft() - frameGeometry().topLeft();
        outer = QRect(normal.topLeft() - offset, normal.size() + frameExtra());
    }
    const TwipsScale scale = ScaleOf(*this);
    return {scale.ToTwips(outer.x()), scale.ToTwips(outer.y()), scale.ToTwips(outer.width()),
            scale.ToTwips(outer.height())};
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
    cmdToggle()->setText(caption);
}

void frmMain::SetNetFailVisible(bool visible)
{
    m_lblNetFail->setVisible(visible);
}

void frmMain::SetDialerEnabled(bool enabled)
{
    cmdDialer()->setEnabled(enabled);
}

void frmMain::LayOut()
{
    const TwipsScale scale = ScaleOf(*this);
    const QSize outer = size() + frameExtra();
    const MainLayout layout = ComputeMainLayout(scale.TwipsPerPixel() * outer.width(),
                                                scale.TwipsPerPixel() * outer.height());
    PlaceInTwips(*m_browser, scale, layout.browserLeft, layout.browserTop, layout.browserWidth,
                 layout.browserHeight);
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        const ControlSpec &row = *m_buttons[i].row;
        PlaceInTwips(*m_buttons[i].button, scale, layout.buttonLeft[i], row.top, row.width,
                     row.height);
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
