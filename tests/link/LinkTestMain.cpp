#include <QCoreApplication>
#include <gtest/gtest.h>

#if defined(__SANITIZE_THREAD__)
// Qt's libraries are not built with ThreadSanitizer: their futex-based QMutex orders what Qt
// itself does across threads (posting and freeing a queued call's event, finishing a QThread)
// without the sanitizer seeing it. Only calls made from within QtCore are ignored; every access
// in our own code stays checked.
extern "C" const char* __tsan_default_suppressions()
{
    return "called_from_lib:libQt6Core.so.6\n";
}
#endif

// The reader threads hand their reports to the thread that runs the application's event loop.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
