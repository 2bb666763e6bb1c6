#include <QCoreApplication>
#include <gtest/gtest.h>

// The port is polled by a timer, so the tests run an event loop.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
