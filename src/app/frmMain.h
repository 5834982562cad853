// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/IMainWindow.h"

#include <QHash>
#include <QWidget>

#include <optional>
#include <vector>

struct ControlSpec;
class NetFailMark;
class QPushButton;

// The main window: five buttons along the top, the network mark in the corner and the
// browser pane below. Positions are designed in twips and converted at the screen's DPI.
class frmMain : public QWidget, public IMainWindow
{
    Q_OBJECT

public:
    // `browser` is the pane; the window takes it over.
    explicit frmMain(QWidget *browser, QWidget *parent = nullptr);

    QPushButton *cmdQuit() const { return button("cmdQuit"); }
    QPushButton *cmdDialer() const { return button("cmdDialer"); }
    QPushButton *cmdHide() const { return button("cmdHide"); }
    QPushButton *cmdToggle() const { return button("cmdToggle"); }
    QPushButton *cmdSettings() const { return button("cmdSettings"); }
    QWidget *lblNetFail() const;

    double twipsPerPixel() const;
    // The outer geometry of the window in its normal state, in twips, also while minimised
    // or maximised: left, top, width, height.
    QList<int> normalGeometryTwips() const;

    void restoreNormal() override;
    void showAndActivate() override;
    void hideWindow() override;
    void setGeometryTwips(int left, int top, int width, int height) override;
    void setCaption(const QString &caption) override;
    void showMonitoring(bool on) override;
    void setNetFailVisible(bool visible) override;
    void setDialerEnabled(bool enabled) override;

    // Lays the controls out for the window's current outer size.
    void layOut();

signals:
    // The user closed the window from its title bar.
    void closed();
    // What the window shows, for the notification area's icon.
    void monitoringShown(bool on);
    void netFailShown(bool visible);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct PlacedButton
    {
        const ControlSpec *row;
        QPushButton *button;
    };

    QPushButton *button(const char *name) const;
    int toPixels(double twips) const;
    QSize frameExtra() const;
    QMargins frameMargins() const;
    void noteNormalFrame();
    void applyOuterSize();
    void applyPendingOuterSize();
    void layOutForNewFrame();

    QWidget *m_browser;
    QHash<QString, QWidget *> m_controls;
    NetFailMark *m_lblNetFail;
    // In the order of the row, left to right.
    std::vector<PlacedButton> m_buttons;
    // An outer size asked for before the frame around the window was known (0 or less: not
    // asked), in pixels; applied again once the window manager has framed the window.
    QSize m_outerSize;
    // The frame around the window in its normal state, as last seen.
    std::optional<QMargins> m_normalFrame;
    // The frame's extra width and height the last layout went by.
    QSize m_laidOutFrame;
};
