#include <gtest/gtest.h>

#include <QStandardPaths>
#include <cstdlib>

#include "tests/support/ModalDialogs.h"

// Every test program runs headless: Qt draws offscreen and SDL plays into the void. These must be set
// before any toolkit starts, and CTest keeps only one environment entry, so they are set here.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // The programs' settings (the player's volume) go to the toolkit's test folder, never to the user's.
    QStandardPaths::setTestModeEnabled(true);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new test_support::ModalWaitsCheck);
    return RUN_ALL_TESTS();
}
