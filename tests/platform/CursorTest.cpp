#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <stdexcept>

#include "platform/Cursor.h"
#include "platform/qt/QtCursor.h"
#include "tests/support/QtApp.h"

using namespace platform;

namespace {
// Installs a cursor service for one test and takes it away again.
struct InstalledCursor {
    explicit InstalledCursor(CursorService& service) { SetCursorService(&service); }
    ~InstalledCursor() { SetCursorService(nullptr); }
};
}  // namespace

TEST(WaitCursor, ShowsWhileAliveAndNestsAndSurvivesExceptions) {
    RecordingCursor cursor;
    InstalledCursor installed(cursor);
    {
        WaitCursor outer;
        EXPECT_TRUE(cursor.Waiting());
        {
            WaitCursor inner;
            EXPECT_EQ(cursor.depth, 2);
        }
        EXPECT_TRUE(cursor.Waiting());
    }
    EXPECT_FALSE(cursor.Waiting());
    EXPECT_EQ(cursor.calls, (std::vector<std::string>{"begin", "begin", "end", "end"}));
    try {
        WaitCursor wait;
        throw std::runtime_error("loading failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(cursor.depth, 0);
    EXPECT_EQ(cursor.calls.size(), 6u);
}

TEST(WaitCursor, EndsOnTheServiceItBeganOn) {
    RecordingCursor first, second;
    SetCursorService(&first);
    {
        WaitCursor wait;
        SetCursorService(&second);
    }
    SetCursorService(nullptr);
    EXPECT_EQ(first.calls, (std::vector<std::string>{"begin", "end"}));
    EXPECT_TRUE(second.calls.empty());
    WaitCursor withoutService;  // nothing installed: harmless
}

TEST(QtCursor, OverridesTheApplicationCursorWithTheHourglassAndRestoresIt) {
    test_support::EnsureQtApplication();
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    QtCursor cursor;
    InstalledCursor installed(cursor);
    {
        WaitCursor outer;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        { WaitCursor inner; }
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);  // still waiting for the outer one
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
