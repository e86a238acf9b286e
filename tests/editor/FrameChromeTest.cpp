#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QPointer>
#include <QPrinter>
#include <QTest>
#include <QTextBrowser>
#include <cstdlib>
#include <filesystem>

#include "editor/AboutDlg.h"
#include "editor/CommandIds.h"
#include "editor/HelpWindow.h"
#include "editor/TestRun.h"
#include "model/Actions.h"
#include "tests/editor/FrameTestSupport.h"
#include "tests/support/ScratchFolder.h"
#include "ui/StaticLink.h"

using frame_test::FrameFixture;

namespace {

void MakeExecutable(const std::string& path) {
    test_support::WriteFileBytes(path, {'#', '!', '/', 'b', 'i', 'n', '/', 's', 'h', '\n'});
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

// Sets an environment variable for the lifetime of the guard.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace

TEST(FrameTest, TestSavesTheTitleAndStartsLumeoBesideFabrioWithThePathAsOneArgument) {
    FrameFixture f;
    const std::string program = f.folder.Path("program");
    std::filesystem::create_directories(program);
    MakeExecutable(program + "/lumeo");
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    const std::string path = f.WriteTitle("my title with blanks.fca");
    CChildFrame* child = frame.OpenDocument(QString::fromStdString(path));
    ASSERT_NE(child, nullptr);
    child->Document().GetCards().Add(std::make_unique<CFicha>());
    child->Document().SetModifiedFlag();

    frame.Action(cmd::kTest)->trigger();
    ASSERT_EQ(f.processes.started.size(), 1u);
    EXPECT_EQ(f.processes.started[0].program, program + "/lumeo");
    EXPECT_EQ(f.processes.started[0].arguments, (std::vector<std::string>{path}));
    EXPECT_FALSE(child->Document().IsModified()) << "saved without asking";
    EXPECT_TRUE(f.fileDialog.requests.empty());
    EXPECT_TRUE(f.messageBox.shown.empty());
    CFichaDoc saved(Variant::editor);
    ASSERT_TRUE(saved.OnOpenDocument(path));
    EXPECT_EQ(saved.GetCards().GetSize(), 2u);
    saved.OnCloseDocument();
}

TEST(FrameTest, ANeverSavedTitleShowsTheSaveErrorAndStillStartsLumeo) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    frame.NewDocument()->Document().SetModifiedFlag();
    frame.Action(cmd::kTest)->trigger();
    ASSERT_EQ(f.messageBox.shown.size(), 1u);
    EXPECT_EQ(f.messageBox.shown[0].text, "Imposible guardar documento.");
    ASSERT_EQ(f.processes.started.size(), 1u);
    EXPECT_TRUE(f.processes.started[0].arguments.empty());
    EXPECT_TRUE(f.fileDialog.requests.empty()) << "Test never asks for a name";
    EXPECT_TRUE(frame.ActiveChild()->Document().IsModified());
}

TEST(FrameTest, TestFromThisCardStartsLumeoWindowedOnTheCurrentCard) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    const std::string path = f.WriteTitle("cards.fca", 4);
    CChildFrame* child = frame.OpenDocument(QString::fromStdString(path));
    child->Document().NextCard();
    child->Document().NextCard();
    frame.UpdateCommandUI();
    ASSERT_TRUE(frame.Action(cmd::kTestFromThisCard)->isEnabled());
    frame.Action(cmd::kTestFromThisCard)->trigger();
    ASSERT_EQ(f.processes.started.size(), 1u);
    EXPECT_EQ(f.processes.started[0].arguments,
              (std::vector<std::string>{"--card", "2", "--windowed", path}));
}

TEST(FrameTest, LumeoIsLookedForBesideFabrioThenOnTheSearchPath) {
    test_support::ScratchFolder folder;
    const std::string beside = folder.Path("beside");
    const std::string onPath = folder.Path("bin");
    std::filesystem::create_directories(beside);
    std::filesystem::create_directories(onPath);
    MakeExecutable(onPath + "/lumeo");
    ScopedEnv path("PATH", onPath);
    EXPECT_EQ(FindLumeo(beside), onPath + "/lumeo");
    MakeExecutable(beside + "/lumeo");
    EXPECT_EQ(FindLumeo(beside), beside + "/lumeo");
    // A file that cannot run is no program.
    const std::string plain = folder.Path("plain");
    std::filesystem::create_directories(plain);
    test_support::WriteFileBytes(plain + "/lumeo", {'x'});
    std::filesystem::remove(onPath + "/lumeo");
    EXPECT_EQ(FindLumeo(plain), "lumeo");
}

TEST(FrameTest, ThePlayerThatCannotStartIsNotReported) {
    FrameFixture f;
    f.processes.succeed = false;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    const std::string path = f.WriteTitle("t.fca");
    frame.OpenDocument(QString::fromStdString(path));
    frame.Action(cmd::kTest)->trigger();
    EXPECT_EQ(f.processes.started.size(), 1u);
    EXPECT_TRUE(f.messageBox.shown.empty());
}

TEST(FrameHelp, PagesAreLookedForBesideTheProgramFirstThenInTheShareFolder) {
    test_support::ScratchFolder folder;
    const QString program = QString::fromStdString(folder.Path("prefix/bin"));
    QDir().mkpath(program);
    const QStringList folders = HelpFolders(program);
    ASSERT_GE(folders.size(), 2);
    EXPECT_EQ(folders[0].toStdString(), folder.Path("prefix/bin/help"));
    EXPECT_EQ(folders[1].toStdString(), folder.Path("prefix/share/fabrio/help"));

    std::filesystem::create_directories(folder.Path("prefix/share/fabrio/help"));
    test_support::WriteFileBytes(folder.Path("prefix/share/fabrio/help/index.html"), {'<', 'p', '>'});
    EXPECT_EQ(FindHelpIndex(program).toStdString(), folder.Path("prefix/share/fabrio/help/index.html"));
    std::filesystem::create_directories(folder.Path("prefix/bin/help"));
    test_support::WriteFileBytes(folder.Path("prefix/bin/help/index.html"), {'<', 'p', '>'});
    EXPECT_EQ(FindHelpIndex(program).toStdString(), folder.Path("prefix/bin/help/index.html"));
}

TEST(FrameHelp, HelpShowsOurPagesAndEveryPageTheyLinkExists) {
    FrameFixture f;
    const std::string program = f.folder.Path("program");
    std::filesystem::create_directories(program);
    std::filesystem::copy(LUMEO_TEST_DATA "/../../resources/help/fabrio", program + "/help",
                          std::filesystem::copy_options::recursive);
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    frame.Action(cmd::kHelp)->trigger();
    ASSERT_NE(frame.HelpWindow(), nullptr);
    QTextBrowser& browser = frame.HelpWindow()->Browser();
    EXPECT_TRUE(browser.toPlainText().contains("Fabrio Help"));
    // Every click action and move action is explained under its own label.
    browser.setSource(QUrl::fromLocalFile(QString::fromStdString(program + "/help/actions.html")));
    const QString actions = browser.toPlainText();
    for (const char* label : kClickActionLabels) EXPECT_TRUE(actions.contains(label)) << label;
    for (const char* label : kMoveActionLabels) EXPECT_TRUE(actions.contains(label)) << label;
    for (const auto& entry : std::filesystem::directory_iterator(program + "/help")) {
        if (entry.path().extension() != ".html") continue;
        QFile page(QString::fromStdString(entry.path().string()));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        for (qsizetype at = html.indexOf("href=\""); at >= 0; at = html.indexOf("href=\"", at + 1)) {
            const QString target = html.mid(at + 6, html.indexOf('"', at + 6) - at - 6);
            EXPECT_TRUE(std::filesystem::exists(program + "/help/" + target.toStdString()))
                << entry.path() << " links " << target.toStdString();
        }
    }
}

TEST(FrameHelp, WithoutPagesHelpDoesNothing) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    // The installed share folder may hold pages on a machine with Fabrio installed; only then a window.
    frame.Action(cmd::kHelp)->trigger();
    EXPECT_EQ(frame.HelpWindow() != nullptr,
              !FindHelpIndex(QString::fromStdString(f.folder.Path("program"))).isEmpty());
    EXPECT_TRUE(f.messageBox.shown.empty());
}

TEST(FrameAbout, TheBoxShowsTheMakersLinkAndTheFreeMemoryAndDisk) {
    test_support::EnsureQtApplication();
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), "About Fabrio...");
    EXPECT_EQ(about.Link().Target(), CAboutDlg::kMakerAddress);
    EXPECT_TRUE(about.MemoryText().endsWith(" KB")) << about.MemoryText().toStdString();
    EXPECT_GT(about.MemoryText().section(' ', 0, 0).toULongLong(), 0u);
    EXPECT_TRUE(about.DiskText().contains(" KB frees in /")) << about.DiskText().toStdString();

    test_support::ScratchFolder folder;
    const std::string disk = FreeDiskText(folder.Path());
    EXPECT_NE(disk.find(" KB frees in /"), std::string::npos) << disk;
    EXPECT_GT(std::stoull(disk), 0u);
    EXPECT_EQ(FreeDiskText(folder.Path("no/such/folder")), "Unavaiable");
}

TEST(FrameSplash, TheSplashGoesAtTheFirstKeyOrAfterHalfASecond) {
    test_support::EnsureQtApplication();
    QWidget other;
    QPointer<CSplashWnd> splash = new CSplashWnd(nullptr);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->windowFlags() & Qt::FramelessWindowHint);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QCoreApplication::sendEvent(&other, &key);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(splash.isNull()) << "a key anywhere in the program ends it";

    QPointer<CSplashWnd> timed = new CSplashWnd(nullptr);
    QTest::qWait(CSplashWnd::kShowMs / 2);
    EXPECT_FALSE(timed.isNull());
    QTest::qWait(CSplashWnd::kShowMs);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(timed.isNull());
}

TEST(FramePrint, TheCardIsPrintedAtItsSizeOnThePage) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    CChildFrame* child = frame.NewDocument();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const std::string pdf = f.folder.Path("card.pdf");
    printer.setOutputFileName(QString::fromStdString(pdf));
    frame.PrintCard(*child, printer);
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_GT(std::filesystem::file_size(pdf), 500u);
}
