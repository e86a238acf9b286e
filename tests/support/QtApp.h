#pragma once

#include <gtest/gtest.h>

#include <QApplication>

namespace test_support {

// The one QApplication of a test program. It is made before the first test of every program that
// includes this header (code under test may reach Qt without saying so), or earlier by the first test
// that calls EnsureQtApplication. It is never destroyed: torn down among the exit handlers it would delete
// the pointing device that the first synthetic mouse event made after Qt's own list of devices is already
// gone, and crash. The pointer stays reachable, so the leak checker does not count it.
inline void EnsureQtApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "lumeo_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* const app = new QApplication(argc, argv);
    (void)app;
}

class QtApplicationEnvironment : public testing::Environment {
  public:
    void SetUp() override { EnsureQtApplication(); }
};

// Registered once per program, however many of its files include this header.
[[maybe_unused]] inline testing::Environment* const kQtApplicationEnvironment =
    testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace test_support
