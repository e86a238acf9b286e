#include <gtest/gtest.h>

#include <QDropEvent>
#include <QMdiArea>
#include <QMimeData>
#include <QSettings>
#include <QTest>
#include <QUrl>
#include <filesystem>

#include "editor/CommandIds.h"
#include "editor/FabrioApp.h"
#include "tests/editor/FrameTestSupport.h"
#include "tests/support/ScratchFolder.h"

using frame_test::FrameFixture;
using platform::MessageAnswer;

namespace {

void DeleteClosedWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Closes a child as its window's close button does.
void CloseWindow(CChildFrame* child) {
    child->close();
    DeleteClosedWindows();
}

}  // namespace

TEST(FrameDocuments, NewDocumentsAreNumberedAndHaveOneEmptyCard) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    CChildFrame* first = frame.NewDocument();
    CChildFrame* second = frame.NewDocument();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->Document().GetTitle(), "Fabrio1");
    EXPECT_EQ(second->Document().GetTitle(), "Fabrio2");
    EXPECT_EQ(first->Document().GetCards().GetSize(), 1u);
    EXPECT_EQ(first->Document().GetCurrentCard(), 0);
    EXPECT_EQ(frame.ActiveChild(), second);
    frame.UpdateCommandUI();
    EXPECT_EQ(frame.CardPane().text(), "Ficha: 1 de 1");
}

TEST(FrameDocuments, AChildWindowNeverGrowsBeyond651By510) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    frame.resize(1400, 1100);
    frame.show();
    CChildFrame* child = frame.NewDocument();
    child->resize(1000, 900);
    EXPECT_LE(child->width(), 651);
    EXPECT_LE(child->height(), 510);
    child->showMaximized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame.MdiArea().viewport()->width() > 651);
    EXPECT_EQ(child->size(), QSize(651, 510));
}

TEST(FrameDocuments, TheTitleShowsTheDocumentNameAndAModifiedMark) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    CChildFrame* child = frame.NewDocument();
    frame.UpdateCommandUI();
    EXPECT_EQ(child->windowTitle(), "Fabrio1[*]");
    EXPECT_FALSE(child->isWindowModified());
    EXPECT_EQ(frame.windowTitle(), "Fabrio - Fabrio1[*]");
    child->Document().SetModifiedFlag();
    frame.UpdateCommandUI();
    EXPECT_TRUE(child->isWindowModified());
    EXPECT_TRUE(frame.isWindowModified());
    // A second window on the same document is numbered.
    frame.Action(cmd::kWindowNew)->trigger();
    frame.UpdateCommandUI();
    ASSERT_EQ(frame.Children().size(), 2u);
    EXPECT_EQ(frame.Children()[0]->windowTitle(), "Fabrio1:1[*]");
    EXPECT_EQ(frame.Children()[1]->windowTitle(), "Fabrio1:2[*]");
    EXPECT_EQ(&frame.Children()[1]->Document(), &child->Document());
}

TEST(FrameDocuments, ClosingAModifiedDocumentAsksAndCancelKeepsIt) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    CChildFrame* child = frame.NewDocument();
    child->Document().SetModifiedFlag();
    f.messageBox.answers = {MessageAnswer::cancel};
    CloseWindow(child);
    ASSERT_EQ(f.messageBox.shown.size(), 1u);
    EXPECT_EQ(f.messageBox.shown[0].text, "Save changes to Fabrio1?");
    EXPECT_EQ(f.messageBox.shown[0].buttons, platform::MessageButtons::yesNoCancel);
    EXPECT_EQ(frame.Children().size(), 1u);

    f.messageBox.answers = {MessageAnswer::no};
    frame.Action(cmd::kFileClose)->trigger();
    DeleteClosedWindows();
    EXPECT_TRUE(frame.Children().empty());
    EXPECT_TRUE(f.fileDialog.requests.empty());
}

TEST(FrameDocuments, YesSavesANewDocumentUnderTheNameAskedForBeforeClosing) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    CChildFrame* child = frame.NewDocument();
    child->Document().SetModifiedFlag();
    const std::string path = f.folder.Path("saved title.fca");
    f.messageBox.answers = {MessageAnswer::yes};
    f.fileDialog.answers = {path};
    CloseWindow(child);
    ASSERT_EQ(f.fileDialog.requests.size(), 1u);
    EXPECT_TRUE(f.fileDialog.requests[0].save);
    EXPECT_TRUE(f.fileDialog.requests[0].overwritePrompt);
    EXPECT_EQ(f.fileDialog.requests[0].filter, "Fabrio Files (*.fca)|*.fca||");
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_TRUE(frame.Children().empty());

    // A save whose dialog is cancelled keeps the window.
    CChildFrame* other = frame.NewDocument();
    other->Document().SetModifiedFlag();
    f.messageBox.answers = {MessageAnswer::yes};
    f.fileDialog.answers = {std::nullopt};
    CloseWindow(other);
    EXPECT_EQ(frame.Children().size(), 1u);
}

TEST(FrameDocuments, OnlyTheLastWindowOfADocumentAsks) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    CChildFrame* child = frame.NewDocument();
    child->Document().SetModifiedFlag();
    frame.Action(cmd::kWindowNew)->trigger();
    ASSERT_EQ(frame.Children().size(), 2u);
    CloseWindow(frame.Children()[1]);
    EXPECT_TRUE(f.messageBox.shown.empty());
    ASSERT_EQ(frame.Children().size(), 1u);
    EXPECT_TRUE(frame.Children()[0]->Document().IsModified());
}

TEST(FrameDocuments, ExitAsksForEveryModifiedDocumentAndACancelKeepsThemAll) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    frame.NewDocument()->Document().SetModifiedFlag();
    frame.NewDocument();
    frame.NewDocument()->Document().SetModifiedFlag();
    f.messageBox.answers = {MessageAnswer::no, MessageAnswer::cancel};
    EXPECT_FALSE(frame.close());
    DeleteClosedWindows();
    EXPECT_EQ(f.messageBox.shown.size(), 2u);
    EXPECT_EQ(frame.Children().size(), 3u) << "nothing closes before every document was asked";

    f.messageBox.shown.clear();
    f.messageBox.answers = {MessageAnswer::no, MessageAnswer::no};
    EXPECT_TRUE(frame.close());
    DeleteClosedWindows();
    EXPECT_EQ(f.messageBox.shown.size(), 2u) << "each asked once";
    EXPECT_TRUE(frame.Children().empty());
}

TEST(FrameDocuments, SaveWritesTheTitleAndSaveAsAsksForANewName) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    const std::string path = f.WriteTitle("one.fca", 2);
    CChildFrame* child = frame.OpenDocument(QString::fromStdString(path));
    ASSERT_NE(child, nullptr);
    child->Document().GetCards().Add(std::make_unique<CFicha>());
    child->Document().SetModifiedFlag();
    frame.Action(cmd::kFileSave)->trigger();
    EXPECT_TRUE(f.fileDialog.requests.empty()) << "a saved title is saved where it lies";
    EXPECT_FALSE(child->Document().IsModified());
    CFichaDoc check(Variant::editor);
    ASSERT_TRUE(check.OnOpenDocument(path));
    EXPECT_EQ(check.GetCards().GetSize(), 3u);
    check.OnCloseDocument();

    const std::string copy = f.folder.Path("copy.fca");
    f.fileDialog.answers = {copy};
    frame.Action(cmd::kFileSaveAs)->trigger();
    EXPECT_EQ(child->Document().GetPathName(), copy);
    EXPECT_EQ(child->Document().GetTitle(), "copy.fca");
    EXPECT_TRUE(std::filesystem::exists(copy));
}

TEST(FrameDocuments, TheRecentFileListKeepsFourNewestFirstInTheSettings) {
    FrameFixture f;
    std::vector<std::string> paths;
    for (int i = 0; i < 5; ++i) paths.push_back(f.WriteTitle("title" + std::to_string(i) + ".fca"));
    {
        CMainFrame& frame = f.MakeFrame(f.EditingFactory());
        for (const std::string& p : paths) ASSERT_NE(frame.OpenDocument(QString::fromStdString(p)), nullptr);
        // Opening one again brings it up instead of a second copy, and moves it first.
        EXPECT_EQ(frame.OpenDocument(QString::fromStdString(paths[1])), frame.Children()[1]);
        EXPECT_EQ(frame.Children().size(), 5u);
        const QStringList& files = frame.RecentFiles().Files();
        ASSERT_EQ(files.size(), 4);
        EXPECT_EQ(files[0].toStdString(), paths[1]);
        EXPECT_EQ(files[1].toStdString(), paths[4]);
        EXPECT_EQ(files[3].toStdString(), paths[2]);
        frame.close();
        f.frame.reset();
    }
    QSettings settings(QString::fromStdString(f.SettingsFile()), QSettings::IniFormat);
    EXPECT_EQ(settings.value("Recent File List/File1").toString().toStdString(), paths[1]);
    EXPECT_EQ(settings.value("Recent File List/File4").toString().toStdString(), paths[2]);
    EXPECT_FALSE(settings.contains("Recent File List/File5"));

    // A new run of the program finds them, in the menu too.
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    EXPECT_EQ(frame.RecentFiles().Files().size(), 4);
    QAction* first = frame.Action(cmd::kFileMruFirst);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->text().toStdString(), "&1 " + paths[1]);
    first->trigger();
    ASSERT_EQ(frame.Children().size(), 1u);
    EXPECT_EQ(frame.Children()[0]->Document().GetPathName(), paths[1]);

    // An entry that no longer opens leaves the list after its message.
    std::filesystem::remove(paths[4]);
    frame.Action(cmd::kFileMruFirst + 1)->trigger();
    EXPECT_EQ(frame.Children().size(), 1u);
    EXPECT_EQ(f.messageBox.shown.size(), 1u);
    EXPECT_FALSE(frame.RecentFiles().Files().contains(QString::fromStdString(paths[4])));
    EXPECT_EQ(frame.RecentFiles().Files().size(), 3);
}

TEST(FrameDocuments, AnEmptyRecentFileListShowsItsPlaceholder) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(frame.Action(cmd::kFileMruFirst + i)->isVisible());
    CRecentFileList list;
    list.Add("/tmp/a&b.fca");
    EXPECT_EQ(list.MenuText(0), "&1 /tmp/a&&b.fca");
}

TEST(FrameDocuments, FilesDroppedOnTheWindowOpen) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    const std::string a = f.WriteTitle("dropped a.fca");
    const std::string b = f.WriteTitle("dropped b.fca", 3);
    QMimeData data;
    data.setUrls(
        {QUrl::fromLocalFile(QString::fromStdString(a)), QUrl::fromLocalFile(QString::fromStdString(b))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame, &drop);
    ASSERT_EQ(frame.Children().size(), 2u);
    EXPECT_EQ(frame.Children()[0]->Document().GetPathName(), a);
    EXPECT_EQ(frame.Children()[1]->Document().GetCards().GetSize(), 3u);

    QMimeData text;
    text.setText("not a file");
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QCoreApplication::sendEvent(&frame, &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST(FrameDocuments, AHostileTitleShowsTheMessageAndLeavesTheOpenDocumentsAlone) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    const std::string good = f.WriteTitle("good.fca", 3);
    CChildFrame* child = frame.OpenDocument(QString::fromStdString(good));
    ASSERT_NE(child, nullptr);
    CFichaDoc& doc = child->Document();
    doc.NextCard();
    doc.SetModifiedFlag();
    CChildFrame* fresh = frame.NewDocument();

    // Truncated in the middle of its cards, and bytes that are no title at all.
    test_support::Bytes bytes = test_support::ReadFileBytes(good);
    bytes.resize(bytes.size() * 2 / 3);
    const std::string truncated = f.folder.Path("truncated.fca");
    test_support::WriteFileBytes(truncated, bytes);
    const std::string garbage = f.folder.Path("garbage.fca");
    test_support::WriteFileBytes(garbage, test_support::Bytes(300, 0xEE));

    for (const std::string& hostile : {truncated, garbage}) {
        f.messageBox.shown.clear();
        EXPECT_EQ(frame.OpenDocument(QString::fromStdString(hostile)), nullptr) << hostile;
        EXPECT_EQ(f.messageBox.shown.size(), 1u) << hostile;
    }
    EXPECT_EQ(frame.Children().size(), 2u);
    EXPECT_EQ(frame.ActiveChild(), fresh);
    EXPECT_EQ(doc.GetCards().GetSize(), 3u);
    EXPECT_EQ(doc.GetCurrentCard(), 1);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetPathName(), good);
    EXPECT_FALSE(frame.RecentFiles().Files().contains(QString::fromStdString(truncated)));
}

TEST(FrameDocuments, TheCommandLineOpensEachFileInItsOwnWindow) {
    FrameFixture f;
    const std::string a = f.WriteTitle("a.fca");
    const std::string b = f.WriteTitle("b.fca", 2);
    FabrioOptions options = ParseFabrioOptions({"--no-splash", a, b});
    EXPECT_FALSE(options.splash);
    ASSERT_EQ(options.files.size(), 2u);
    {
        CFabrioApp app(f.folder.Path("program"), f.EditingFactory(), f.SettingsFile());
        EXPECT_TRUE(app.Start(options));
        ASSERT_EQ(app.Frame().Children().size(), 2u);
        EXPECT_EQ(app.Frame().Children()[1]->Document().GetPathName(), b);
    }
    {
        CFabrioApp app(f.folder.Path("program"), f.EditingFactory(), f.SettingsFile());
        EXPECT_TRUE(app.Start(ParseFabrioOptions({"--no-splash"})));
        ASSERT_EQ(app.Frame().Children().size(), 1u);
        EXPECT_EQ(app.Frame().Children()[0]->Document().GetCards().GetSize(), 1u);
    }
    {
        // A start-up whose files all fail to open ends the program.
        CFabrioApp app(f.folder.Path("program"), f.EditingFactory(), f.SettingsFile());
        EXPECT_FALSE(app.Start(ParseFabrioOptions({"--no-splash", f.folder.Path("missing.fca")})));
    }
    EXPECT_FALSE(ParseFabrioOptions({"--bogus"}).error.empty());
    EXPECT_EQ(ParseFabrioOptions({"--", "--odd name.fca"}).files,
              (std::vector<std::string>{"--odd name.fca"}));
}

TEST(FrameDocuments, TheCardMenuAddsCardsAndWalksThroughThem) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    CChildFrame* child = frame.NewDocument();
    frame.UpdateCommandUI();
    EXPECT_FALSE(frame.Action(cmd::kNextCard)->isEnabled());
    frame.Action(cmd::kAddCard)->trigger();
    frame.Action(cmd::kAddCard)->trigger();
    CFichaDoc& doc = child->Document();
    EXPECT_EQ(doc.GetCards().GetSize(), 3u);
    EXPECT_EQ(doc.GetCurrentCard(), 2);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(frame.CardPane().text(), "Ficha: 3 de 3");
    frame.Action(cmd::kFirstCard)->trigger();
    EXPECT_EQ(doc.GetCurrentCard(), 0);
    EXPECT_FALSE(frame.Action(cmd::kPreviousCard)->isEnabled());
    frame.Action(cmd::kNextCard)->trigger();
    EXPECT_EQ(frame.CardPane().text(), "Ficha: 2 de 3");
    // The editing commands follow the card view's selection and the document's cards.
    EXPECT_FALSE(frame.Action(cmd::kEditCut)->isEnabled()) << "nothing is selected";
    ASSERT_TRUE(frame.Action(cmd::kDeleteCard)->isEnabled());
    frame.Action(cmd::kDeleteCard)->trigger();
    EXPECT_EQ(doc.GetCards().GetSize(), 2u);
    EXPECT_EQ(frame.CardPane().text().toStdString().substr(0, 9), "Ficha: 2 ");
    EXPECT_EQ(frame.Action(cmd::kEditUndo)->text().section(u'\t', 0, 0).toStdString(), "&Undo Delete card");
}
