#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QObject>
#include <QUrl>

#include "platform/Shell.h"
#include "platform/qt/QtShell.h"
#include "tests/support/QtApp.h"

namespace {

using platform::DesktopUrl;

TEST(DesktopUrl, WebAddressesAndMailFormsPassAsTheyStand) {
    EXPECT_EQ(DesktopUrl("http://www.lumeo.example/"), "http://www.lumeo.example/");
    EXPECT_EQ(DesktopUrl("HTTPS://Lumeo.example/a?b=c"), "HTTPS://Lumeo.example/a?b=c");
    EXPECT_EQ(DesktopUrl("  mailto:autor@lumeo.example \r\n"), "mailto:autor@lumeo.example");
    EXPECT_EQ(DesktopUrl("mailto:"), "mailto:");  // an empty e-mail form, as an action with no argument makes
    EXPECT_EQ(DesktopUrl("mailto:a@b.example?subject=Hola&body=attach"),
              "mailto:a@b.example?subject=Hola&body=attach");
}

TEST(DesktopUrl, ABareWebNameBecomesAWebAddress) {
    EXPECT_EQ(DesktopUrl("www.lumeo.example"), "http://www.lumeo.example");
    EXPECT_EQ(DesktopUrl("WWW.lumeo.example:8080/x"), "http://WWW.lumeo.example:8080/x");
    EXPECT_EQ(DesktopUrl("www."), std::nullopt);
}

TEST(DesktopUrl, ProgramsDocumentsAndOtherSchemesAreRefused) {
    for (const char* target : {"",
                               "   ",
                               "C:\\WINDOWS\\NOTEPAD.EXE",
                               "notepad.exe",
                               "setup.exe http://x",
                               "/usr/bin/xterm",
                               "file:///etc/passwd",
                               "FILE:C:/autoexec.bat",
                               "javascript:alert(1)",
                               "smb://server/share",
                               "ftp://x.example",
                               "http:",
                               "http://",
                               "http:///etc/passwd",
                               "httpx://a.example",
                               "mailtox:a@b",
                               "http://a.example/\nrm",
                               "mailto:a@b.example?attach=/home/user/.ssh/id_rsa",
                               "mailto:a@b.example?subject=x&ATTACHMENT=~/f",
                               "mailto:a@b.example?%61ttach=/etc/passwd"})
        EXPECT_EQ(DesktopUrl(target), std::nullopt) << target;
}

TEST(Shell, OnlyCheckedAddressesReachTheDesktopAndRefusalsReportNotOpened) {
    platform::RecordingShell shell;
    EXPECT_TRUE(shell.Open("www.lumeo.example"));
    EXPECT_FALSE(shell.Open("C:\\JUEGO\\INSTALAR.EXE"));
    shell.succeed = false;
    EXPECT_FALSE(shell.Open("mailto:autor@lumeo.example"));
    EXPECT_EQ(shell.opened,
              (std::vector<std::string>{"http://www.lumeo.example", "mailto:autor@lumeo.example"}));

    // Until a program installs one, nothing opens.
    platform::SetShell(nullptr);
    EXPECT_FALSE(platform::Shells().Open("http://www.lumeo.example"));
    platform::SetShell(&shell);
    EXPECT_EQ(&platform::Shells(), &shell);
    platform::SetShell(nullptr);
}

// Stands in for the browser and the mail program: Qt hands the addresses of a scheme to it.
class DesktopHandler : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> urls;
  public slots:
    void Open(const QUrl& url) { urls.append(url); }
};

TEST(QtShell, HandsTheAddressToTheDesktopsHandlerForItsScheme) {
    test_support::EnsureQtApplication();
    DesktopHandler handler;
    for (const char* scheme : {"http", "https", "mailto"})
        QDesktopServices::setUrlHandler(scheme, &handler, "Open");
    platform::QtShell shell;
    EXPECT_TRUE(shell.Open("www.lumeo.example/página nueva"));
    EXPECT_TRUE(shell.Open("mailto:autor@lumeo.example?subject=Hola"));
    EXPECT_FALSE(shell.Open("file:///etc/passwd"));
    for (const char* scheme : {"http", "https", "mailto"}) QDesktopServices::unsetUrlHandler(scheme);

    ASSERT_EQ(handler.urls.size(), 2);
    EXPECT_EQ(handler.urls[0].scheme(), "http");
    EXPECT_EQ(handler.urls[0].host(), "www.lumeo.example");
    EXPECT_EQ(handler.urls[0].path(), QString::fromUtf8("/página nueva"));
    EXPECT_EQ(handler.urls[1].scheme(), "mailto");
    EXPECT_EQ(handler.urls[1].path(), "autor@lumeo.example");
}

}  // namespace

#include "ShellTest.moc"
