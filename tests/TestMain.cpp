// Test entry. Window tests get a QApplication on the offscreen platform unless a display was
// chosen; the model's and the platform's tests get a core application and no window system.
// Every test program gets a config home of its own, so that no test reads or writes the user's
// settings.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#ifdef TAVUKO_TEST_CORE
#include <QCoreApplication>
#else
#include <QApplication>
#endif

int main(int argc, char** argv)
{
    QTemporaryDir configHome;
    if (!configHome.isValid()) return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
#ifdef TAVUKO_TEST_CORE
    QCoreApplication app(argc, argv);
#else
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
