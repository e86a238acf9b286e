#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>

#include "platform/Shell.h"
#include "tests/support/QtApp.h"
#include "ui/StaticLink.h"

namespace {

using ui::CStaticLink;

class StaticLinkTest : public testing::Test {
  protected:
    void SetUp() override {
        test_support::EnsureQtApplication();
        platform::SetShell(&shell);
    }
    void TearDown() override { platform::SetShell(nullptr); }

    static void Release(CStaticLink& link, QPointF at) {
        QMouseEvent release(QEvent::MouseButtonRelease, at, link.mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&link, &release);
    }
    static void Click(CStaticLink& link, QPointF press, QPointF release) {
        QMouseEvent down(QEvent::MouseButtonPress, press, link.mapToGlobal(press), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&link, &down);
        Release(link, release);
    }
    static void Click(CStaticLink& link) { Click(link, QPointF(3, 3), QPointF(3, 3)); }

    platform::RecordingShell shell;
};

TEST_F(StaticLinkTest, LooksLikeALinkUntilAClickOpensItThenTurnsPurple) {
    CStaticLink link("Hecho con Fabrio");
    link.SetLink("http://www.fabrio.example/");
    link.resize(120, 20);
    EXPECT_EQ(link.Colour(), QColor(0, 0, 255));
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(link.textFormat(), Qt::PlainText);
    EXPECT_FALSE(link.Visited());

    Click(link);
    EXPECT_EQ(shell.opened, (std::vector<std::string>{"http://www.fabrio.example/"}));
    EXPECT_TRUE(link.Visited());
    EXPECT_EQ(link.Colour(), QColor(128, 0, 128));

    // The painted text really is in the link's colour.
    const QImage shown = link.grab().toImage();
    bool purple = false;
    for (int y = 0; y < shown.height() && !purple; ++y)
        for (int x = 0; x < shown.width() && !purple; ++x)
            purple = shown.pixelColor(x, y) == QColor(128, 0, 128);
    EXPECT_TRUE(purple);
}

TEST_F(StaticLinkTest, WithoutALinkTheTextIsTheAddressAndABareWebNameOpensAsOne) {
    CStaticLink link("www.fabrio.example");
    link.resize(120, 20);
    EXPECT_EQ(link.Target(), "www.fabrio.example");
    Click(link);
    EXPECT_EQ(shell.opened, (std::vector<std::string>{"http://www.fabrio.example"}));
    EXPECT_TRUE(link.Visited());
}

TEST_F(StaticLinkTest, OnlyWebAndMailAddressesReachTheShell) {
    for (const char* refused : {"C:\\WINDOWS\\CALC.EXE", "file:///etc/passwd", "setup.exe",
                                "javascript:alert(1)", "mailto:a@b.example?attach=/etc/passwd"}) {
        CStaticLink link("maker");
        link.SetLink(refused);
        link.resize(60, 20);
        EXPECT_FALSE(link.Open()) << refused;
        EXPECT_FALSE(link.Visited()) << refused;
        EXPECT_EQ(link.Colour(), QColor(0, 0, 255)) << refused;
    }
    EXPECT_TRUE(shell.opened.empty());

    CStaticLink mail("maker");
    mail.SetLink("mailto:autor@fabrio.example");
    EXPECT_TRUE(mail.Open());
    EXPECT_EQ(shell.opened, (std::vector<std::string>{"mailto:autor@fabrio.example"}));
}

TEST_F(StaticLinkTest, AFailedOpenAReleaseElsewhereOrAnEmptyTargetLeaveTheLinkUnvisited) {
    CStaticLink link("maker");
    link.SetLink("https://fabrio.example");
    link.resize(60, 20);

    shell.succeed = false;
    Click(link);
    EXPECT_EQ(shell.opened.size(), 1u);
    EXPECT_FALSE(link.Visited());

    shell.succeed = true;
    Click(link, QPointF(3, 3), QPointF(300, 3));  // let go outside: no click
    Release(link, QPointF(3, 3));                 // a release without its press: no click either
    EXPECT_EQ(shell.opened.size(), 1u);
    EXPECT_FALSE(link.Visited());

    CStaticLink empty;
    EXPECT_FALSE(empty.Open());
    EXPECT_EQ(shell.opened.size(), 1u);
}

}  // namespace
