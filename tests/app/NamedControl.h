#pragma once

#include <QObject>
#include <QtGlobal>

// The control, action, timer or other object of that name under owner; the test or benchmark
// stops at once when there is none, naming what it looked for.
template <class T>
T* named(const QObject& owner, const char* name = "")
{
    T* found = owner.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no child named '%s' of the expected type", name);
    return found;
}
