// Controls that come in eights are found by their name and number, e.g. "cmdCommand" and 3.
#pragma once

#include <QString>
#include <QWidget>

template <typename T> T* numbered(const QWidget* form, const char* prefix, int n)
{
    return form->findChild<T*>(QLatin1String(prefix) + QString::number(n));
}
