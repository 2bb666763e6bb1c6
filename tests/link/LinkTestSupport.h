#pragma once

#include "EventLoopWait.h"
#include "link/HidControllerClass.h"
#include "sim/SimulatedHidBackend.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>

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
