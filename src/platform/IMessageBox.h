#pragma once

#include <QString>

// Modal message boxes with a single OK button; each call returns when the box is closed.
class IMessageBox
{
public:
    virtual ~IMessageBox() = default;

    virtual void Critical(const QString &title, const QString &text) = 0;
    virtual void Information(const QString &title, const QString &text) = 0;
};
