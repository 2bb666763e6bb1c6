#pragma once

#include <QObject>
#include <QtGlobal>

// The control, action, timer or other object of that name under owner; the test or benchmark
// stops at once when there is none, naming what it looked for.
template <class T>
T* named(const QObject& owner, const char* name = "")
{
    // A null name matches any object of the type; an empty one would match only empty names.
    T* found = owner.findChild<T*>(*name ? QString::fromLatin1(name) : QString());
    if (!found)
        qFatal("no child named '%s' of the expected type", name);
    return found;
}
