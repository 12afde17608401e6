// Shared pieces of the window tests: finding controls by their objectName; Qt's widget classes.
#pragma once

#include "TestSupport.h"

#include <QtWidgets>

// A control of the window by its objectName; fails the test when it is missing.
template <typename T> T* control(QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("control %s not found", name);
    return found;
}

// Types any characters, "\n" as Enter and "\b" as Backspace; QTest's own key clicks know only ASCII.
inline void typeText(QWidget* box, const QString& text)
{
    for (const QChar c : text) {
        if (c == u'\n' || c == u'\b')
            QTest::keyClick(box, c == u'\n' ? Qt::Key_Return : Qt::Key_Backspace);
        else
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}
