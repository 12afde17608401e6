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
