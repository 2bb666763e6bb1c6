#include <QCoreApplication>
#include <gtest/gtest.h>

// The reader threads hand their reports to the thread that runs the application's event loop.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
