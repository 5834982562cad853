// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/ConfigController.h"

#include <QHash>
#include <QWidget>

class QPushButton;

// The Options dialog: a fixed-size window whose controls come from their table in twips,
// scrolling where the screen is too small for them; it moves text between its fields and the
// controller, which decides the rest.
class frmConfig : public QWidget
{
    Q_OBJECT

public:
    explicit frmConfig(const ConfigContext &context, QWidget *parent = nullptr);

    // Centres the dialog (fitted to the screen), sets its caption and fills the fields from the
    // store.
    void load();

    QWidget *control(const char *name) const;
    QPushButton *cmdOK() const;
    QPushButton *cmdCancel() const;
    // The fields' texts by the key of their setting, as OK writes them.
    ConfigController::Texts texts() const;

signals:
    // Closing the dialog ended the program: start-up had failed and was not put right.
    void endProgram();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void fitLabels();
    void centre();
    void centreOnceFramed(int triesLeft);
    void cmdOK_Click();
    void cmdCancel_Click();

    ConfigController m_controller;
    QWidget *m_content; // the designed form, inside a scrolling area
    QHash<QString, QWidget *> m_controls;
};
