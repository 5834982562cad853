// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/ControlTable.h"
#include "forms/Twips.h"

#include <QHash>
#include <QString>

#include <span>

class QWidget;

// The scale of the screen a widget is shown on.
TwipsScale scaleOf(const QWidget &widget);

// Builds the controls of a form from its table: one widget per row, named by the row
// (also as objectName), placed in pixels at the form's scale, chained in the rows' tab order;
// a label's text is the accessible name of the control it names.
// `externals` supplies the widgets of External rows. Returns the widgets by name.
QHash<QString, QWidget *> buildForm(QWidget &form, std::span<const ControlSpec> rows,
                                    const QHash<QString, QWidget *> &externals = {});

// Chains the controls that take focus in the rows' tab order. Again when a control has made
// a focus widget of its own since (the web engine's view does, for its first page).
void chainTabOrder(std::span<const ControlSpec> rows, const QHash<QString, QWidget *> &controls);

// Moves and sizes one control to a rectangle given in twips.
void placeInTwips(QWidget &control, const TwipsScale &scale, int left, int top, int width,
                  int height);
