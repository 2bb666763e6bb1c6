#pragma once

#include "HidControllerClass.h"
#include "SimulatedHidBackend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>

// Runs the event loop until `done` holds; false if it still does not after a generous while.
inline bool processUntil(const std::function<bool()>& done, int timeoutMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

inline QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int value : values)
        result.append(static_cast<char>(value));
    return result;
}

inline const uint8_t* data(const QByteArray& array)
{
    return reinterpret_cast<const uint8_t*>(array.constData());
}

// A simulated bus that never waits for its clock, and a controller on it once asked for.
class SimulatedBusTest : public ::testing::Test {
protected:
    THidDeviceController& makeController()
    {
        controller = std::make_unique<THidDeviceController>(bus, nullptr);
        return *controller;
    }

    std::shared_ptr<SimulatedHidBackend> bus = std::make_shared<SimulatedHidBackend>(
        SimulatedHidBackend::Options{SimulatedHidBackend::Pacing::Fast, 1.0});
    std::unique_ptr<THidDeviceController> controller;
};
