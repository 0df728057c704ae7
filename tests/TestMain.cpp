// Test entry. Window tests get a QApplication on the offscreen platform unless a display was
// chosen; the model's and the platform's tests get a core application and no window system.
#include <gtest/gtest.h>

#ifdef TAVUKO_TEST_CORE
#include <QCoreApplication>
#else
#include <QApplication>
#endif

int main(int argc, char** argv)
{
#ifdef TAVUKO_TEST_CORE
    QCoreApplication app(argc, argv);
#else
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
