// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/FormBuilder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace {

// "&Number:" marks N; "&&" is one "&" and marks nothing.
bool hasAccessKey(const QString &caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && caption[++i] != QLatin1Char('&'))
            return true;
    }
    return false;
}

// A label without an access key shows "&&" as one "&", as buttons and frames do themselves.
QString withoutAccessKeys(const QString &caption)
{
    QString text;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && ++i == caption.size())
            break;
        text.append(caption[i]);
    }
    return text;
}

bool takesFocus(ControlKind kind)
{
    return kind == ControlKind::Button || kind == ControlKind::TextBox ||
           kind == ControlKind::ChoiceList || kind == ControlKind::CheckBox ||
           kind == ControlKind::External;
}

QWidget *createControl(const ControlSpec &row, QWidget *parent)
{
    const QString text = QString::fromUtf8(row.text ? row.text : "");
    switch (row.kind) {
    case ControlKind::Button:
        return new QPushButton(text, parent);
    case ControlKind::Label: {
        auto *label = new QLabel(hasAccessKey(text) ? text : withoutAccessKeys(text), parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment((row.style & AlignRight ? Qt::AlignRight : Qt::AlignLeft) |
                            Qt::AlignVCenter);
        return label;
    }
    case ControlKind::TextBox:
        return new QLineEdit(text, parent);
    case ControlKind::ChoiceList: {
        auto *list = new QComboBox(parent);
        list->setEditable(false);
        if (!text.isEmpty())
            list->addItems(text.split(QLatin1Char('\n')));
        return list;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(text, parent);
    case ControlKind::Frame:
        return new QGroupBox(text, parent);
    case ControlKind::Picture: {
        // The image file named by the row, unscaled in the top-left corner.
        auto *picture = new QLabel(parent);
        if (!text.isEmpty())
            picture->setPixmap(QPixmap(text));
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return picture;
    }
    case ControlKind::HorizontalRule: {
        auto *rule = new QFrame(parent);
        rule->setFrameShape(QFrame::HLine);
        rule->setFrameShadow(QFrame::Sunken);
        return rule;
    }
    case ControlKind::External:
        break;
    }
    return nullptr;
}

// A label's access key focuses the control that follows the label in the tab order, the
// first one when none follows ("&Number:" at 3 gives the number field at 0).
void giveAccessKeys(std::span<const ControlSpec> rows, const QHash<QString, QWidget *> &controls)
{
    for (const ControlSpec &label : rows) {
        if (label.kind != ControlKind::Label || label.tab < 0 ||
            !hasAccessKey(QString::fromUtf8(label.text)))
            continue;
        const ControlSpec *after = nullptr, *first = nullptr;
        for (const ControlSpec &row : rows) {
            if (row.tab < 0 || !takesFocus(row.kind))
                continue;
            if (!first || row.tab < first->tab)
                first = &row;
            if (row.tab > label.tab && (!after || row.tab < after->tab))
                after = &row;
        }
        if (const ControlSpec *buddy = after ? after : first)
            qobject_cast<QLabel *>(controls.value(QString::fromLatin1(label.name)))
                ->setBuddy(controls.value(QString::fromLatin1(buddy->name)));
    }
}

} // namespace

TwipsScale scaleOf(const QWidget &widget)
{
    return TwipsScale(widget.logicalDpiX());
}

void placeInTwips(QWidget &control, const TwipsScale &scale, int left, int top, int width,
                  int height)
{
    control.setGeometry(scale.toPixels(left), scale.toPixels(top), scale.toPixels(width),
                        scale.toPixels(height));
}

QHash<QString, QWidget *> buildForm(QWidget &form, std::span<const ControlSpec> rows,
                                    const QHash<QString, QWidget *> &externals)
{
    const TwipsScale scale = scaleOf(form);
    QHash<QString, QWidget *> controls;
    for (const ControlSpec &row : rows) {
        const QString name = QString::fromLatin1(row.name);
        QWidget *parent = row.frame ? controls.value(QString::fromLatin1(row.frame)) : &form;
        Q_ASSERT_X(parent, row.name, "a frame must come before the controls inside it");
        QWidget *control =
            row.kind == ControlKind::External ? externals.value(name) : createControl(row, parent);
        Q_ASSERT_X(control, row.name, "an external control must be supplied");
        control->setParent(parent);
        control->setObjectName(name);
        if (row.style & Bold) {
            QFont font = control->font();
            font.setBold(true);
            control->setFont(font);
        }
        // A horizontal rule is a line from (left, top): give it a pixel of height to draw in.
        const int height = row.kind == ControlKind::HorizontalRule
                               ? qMax(row.height, static_cast<int>(scale.twipsPerPixel()) * 2)
                               : row.height;
        placeInTwips(*control, scale, row.left, row.top, row.width, height);
        if (takesFocus(row.kind))
            control->setFocusPolicy(row.tab >= 0 ? Qt::StrongFocus : Qt::NoFocus);
        control->show();
        controls.insert(name, control);
    }
    chainTabOrder(rows, controls);
    giveAccessKeys(rows, controls);
    for (const ControlSpec &row : rows) {
        if (row.kind == ControlKind::Label && row.names) {
            QWidget *named = controls.value(QString::fromLatin1(row.names));
            Q_ASSERT_X(named, row.name, "a label names a control of its form");
            named->setAccessibleName(withoutAccessKeys(QString::fromUtf8(row.text)));
            // Some readers take a list's label from the label's buddy (its name is its value);
            // a label without an access key gains none by it.
            auto *label = qobject_cast<QLabel *>(controls.value(QString::fromLatin1(row.name)));
            if (!label->buddy() && !label->text().contains(QLatin1Char('&')))
                label->setBuddy(named);
        }
    }
    return controls;
}

void chainTabOrder(std::span<const ControlSpec> rows, const QHash<QString, QWidget *> &controls)
{
    // A label's place in the order only matters for its access key, which Qt gives to its
    // buddy; the focus chain holds the controls that take focus.
    std::vector<const ControlSpec *> tabRows;
    for (const ControlSpec &row : rows) {
        if (row.tab >= 0 && takesFocus(row.kind))
            tabRows.push_back(&row);
    }
    std::stable_sort(tabRows.begin(), tabRows.end(),
                     [](const ControlSpec *a, const ControlSpec *b) { return a->tab < b->tab; });
    for (std::size_t i = 1; i < tabRows.size(); ++i)
        QWidget::setTabOrder(controls.value(QString::fromLatin1(tabRows[i - 1]->name)),
                             controls.value(QString::fromLatin1(tabRows[i]->name)));
}
