// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One control of a form whose layout is fixed in twips: the rows of a form's table, built by
// BuildForm in one loop. Positions are relative to the form's client area, or to the frame
// named in `frame`.
enum class ControlKind {
    Button,
    Label,
    TextBox,
    ChoiceList, // a drop-down list the user chooses from, without typing
    CheckBox,   // on or off, its caption to the right of the box
    Frame,
    Picture,
    HorizontalRule,
    External, // a widget the form is given (the browser pane): placed and put in tab order
};

enum ControlStyle : unsigned {
    Plain = 0,
    Bold = 1u << 0,
    AlignRight = 1u << 1,
};

struct ControlSpec
{
    const char *name;
    ControlKind kind;
    // Caption ("&&" shows one "&", a lone "&" marks the access key), label text, the entries
    // of a choice list separated by '\n', or a picture's image file.
    const char *text;
    int left;
    int top;
    int width;
    int height;
    int tab = -1; // position in the focus order; -1: not in it
    const char *frame = nullptr;
    unsigned style = Plain;
    // A label's: the control that takes the label's text as its accessible name, so that a
    // screen reader names a text box by its label rather than by its frame.
    const char *names = nullptr;
};
