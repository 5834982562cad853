// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/FormBuilder.h"

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

// A label without a field to give focus to has no access key: "&&" is one "&" and a lone "&"
// marks nothing. Buttons and frames read their captions that way themselves.
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

QWidget *createControl(const ControlSpec &row, QWidget *parent)
{
    const QString text = QString::fromUtf8(row.text ? row.text : "");
    switch (row.kind) {
    case ControlKind::Button:
        return new QPushButton(text, parent);
    case ControlKind::Label: {
        auto *label = new QLabel(withoutAccessKeys(text), parent);
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

} // namespace

TwipsScale ScaleOf(const QWidget &widget)
{
    return TwipsScale(widget.logicalDpiX());
}

void PlaceInTwips(QWidget &control, const TwipsScale &scale, int left, int top, int width,
                  int height)
{
    control.setGeometry(scale.ToPixels(left), scale.ToPixels(top), scale.ToPixels(width),
                        scale.ToPixels(height));
}

QHash<QString, QWidget *> BuildForm(QWidget &form, std::span<const ControlSpec> rows,
                                    const QHash<QString, QWidget *> &externals)
{
    const TwipsScale scale = ScaleOf(form);
    QHash<QString, QWidget *> controls;
    std::vector<const ControlSpec *> tabRows;
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
                               ? qMax(row.height, static_cast<int>(scale.TwipsPerPixel()) * 2)
                               : row.height;
        PlaceInTwips(*control, scale, row.left, row.top, row.width, height);
        const bool takesFocus =
            row.kind == ControlKind::Button || row.kind == ControlKind::TextBox ||
            row.kind == ControlKind::ChoiceList || row.kind == ControlKind::External;
        if (takesFocus)
            control->setFocusPolicy(row.tab >= 0 ? Qt::StrongFocus : Qt::NoFocus);
        control->show();
        controls.insert(name, control);
        // A label's place in the order only matters for its access key, which Qt gives to
        // its buddy; the focus chain holds the controls that take focus.
        if (takesFocus && row.tab >= 0)
            tabRows.push_back(&row);
    }
    std::stable_sort(tabRows.begin(), tabRows.end(),
                     [](const ControlSpec *a, const ControlSpec *b) { return a->tab < b->tab; });
    for (std::size_t i = 1; i < tabRows.size(); ++i)
        QWidget::setTabOrder(controls.value(QString::fromLatin1(tabRows[i - 1]->name)),
                             controls.value(QString::fromLatin1(tabRows[i]->name)));
    return controls;
}
