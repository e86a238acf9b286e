#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "editor/CommandIds.h"
#include "tests/editor/AidsTestSupport.h"
#include "tests/support/ScratchFolder.h"

using namespace aids_test;
using test_support::ReadFileBytes;

namespace {

QStringList FilesIn(const std::string& folder, const QString& pattern) {
    return QDir(QString::fromStdString(folder)).entryList({pattern}, QDir::Files, QDir::Name);
}

// The fixture's editor with a saved title open and changed: a text added on its first card.
struct ChangedTitle : AidsFrame {
    ChangedTitle() {
        path = Path("TITLE.FCA");
        TitleDraft(2).SaveAs(path);
        saved = ReadFileBytes(path);
        Open(path);
        Doc().GetCards().GetAt(0)->AddText(
            std::make_unique<CTexto>("after the save", platform::Rect{0, 0, 90, 20}));
        Doc().SetModifiedFlag(true);
    }
    std::string path;
    test_support::Bytes saved;
};

}  // namespace

TEST(Recovery, AfterACrashTheCopyComesBackModifiedAndBoundToItsTitle) {
    ChangedTitle e;
    e.Aids().Autosave();
    const std::string folder = e.f.RecoveryFolder();
    ASSERT_EQ(FilesIn(folder, "*.fca").size(), 1);
    ASSERT_EQ(FilesIn(folder, "*.origin").size(), 1);
    EXPECT_EQ(ReadFileBytes(e.path), e.saved) << "the autosave never writes over the title";

    // The editor goes without closing anything, as in a crash; the next one finds the copy.
    e.f.frame.reset();
    CMainFrame& next = e.f.MakeFrame(e.f.EditingFactory());
    e.f.messageBox.answers = {platform::MessageAnswer::yes};
    EXPECT_EQ(next.Aids().OfferRecovery(), 1);
    ASSERT_EQ(e.f.messageBox.shown.size(), 1);
    EXPECT_EQ(e.f.messageBox.shown[0].buttons, platform::MessageButtons::yesNo);
    EXPECT_NE(e.f.messageBox.shown[0].text.find("TITLE.FCA"), std::string::npos)
        << e.f.messageBox.shown[0].text;

    CChildFrame* child = next.ActiveChild();
    ASSERT_NE(child, nullptr);
    CFichaDoc& doc = child->Document();
    EXPECT_EQ(doc.GetPathName(), e.path);
    EXPECT_EQ(doc.GetTitle(), "TITLE.FCA");
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(doc.GetCards().GetSize(), 2);
    ASSERT_EQ(doc.GetCards().GetAt(0)->texts.GetSize(), 2);
    EXPECT_EQ(doc.GetCards().GetAt(0)->texts.GetAt(1)->text, "after the save");
    EXPECT_EQ(ReadFileBytes(e.path), e.saved);
    // The old copy went once the restored work had a copy of this session.
    EXPECT_EQ(FilesIn(folder, "*.origin").size(), 1);
    EXPECT_TRUE(next.Aids().Recovery().LeftBehind().empty());

    // Undoing back to the restored state still leaves work the title's file does not hold (a change that
    // no step recorded goes back to the state the document came with).
    doc.GetCards().GetAt(0)->texts.GetAt(1)->text = "edited";
    doc.GetCards().GetAt(0)->texts.GetAt(1)->MarkChanged();
    doc.SetModifiedFlag(true);
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.GetCards().GetAt(0)->texts.GetAt(1)->text, "after the save");
    EXPECT_TRUE(doc.IsModified());

    // Saving it writes the title and makes its copy go.
    ASSERT_TRUE(next.SaveDocument(*child, false));
    EXPECT_NE(ReadFileBytes(e.path), e.saved);
    EXPECT_TRUE(FilesIn(folder, "*.fca").isEmpty());
}

TEST(Recovery, NoDiscardsTheCopyAndACleanCloseLeavesNoneBehind) {
    ChangedTitle e;
    e.Aids().Autosave();
    e.f.frame.reset();
    CMainFrame& next = e.f.MakeFrame(e.f.EditingFactory());
    e.f.messageBox.answers = {platform::MessageAnswer::no};
    EXPECT_EQ(next.Aids().OfferRecovery(), 0);
    EXPECT_TRUE(next.Children().empty());
    EXPECT_TRUE(FilesIn(e.f.RecoveryFolder(), "*.fca").isEmpty()) << "No discards the copy";
    EXPECT_TRUE(FilesIn(e.f.RecoveryFolder(), "*.origin").isEmpty());

    // A modified document closed with No: its copy goes with it.
    CChildFrame* child = next.NewDocument();
    child->Document().SetModifiedFlag(true);
    next.Aids().Autosave();
    ASSERT_EQ(FilesIn(e.f.RecoveryFolder(), "*.fca").size(), 1);
    e.f.messageBox.answers = {platform::MessageAnswer::no};
    EXPECT_TRUE(next.close());
    EXPECT_TRUE(FilesIn(e.f.RecoveryFolder(), "*.fca").isEmpty());
    EXPECT_TRUE(FilesIn(e.f.RecoveryFolder(), "*.origin").isEmpty());
}

TEST(Recovery, ADamagedCopyIsReportedAndSetAsideWithoutAsking) {
    AidsFrame e;
    const std::string folder = e.f.RecoveryFolder();
    const std::string title = e.Path("TITLE.FCA");
    TitleDraft(1).SaveAs(title);
    const test_support::Bytes saved = ReadFileBytes(title);
    // A copy cut short by a crash while it was written, left by a session that is gone.
    test_support::Bytes bytes = saved;
    bytes.resize(bytes.size() / 2);
    e.f.folder.Write("recovery/ended-1.fca", bytes);
    const std::string sidecar = "original=" + title + "\ntitle=TITLE.FCA\n";
    e.f.folder.Write("recovery/ended-1.origin", test_support::Bytes(sidecar.begin(), sidecar.end()));

    EXPECT_EQ(e.Aids().OfferRecovery(), 0);
    ASSERT_EQ(e.f.messageBox.shown.size(), 1);
    EXPECT_EQ(e.f.messageBox.shown[0].icon, platform::MessageIcon::exclamation);
    EXPECT_NE(e.f.messageBox.shown[0].text.find("damaged"), std::string::npos);
    EXPECT_TRUE(e.frame.Children().empty());
    EXPECT_EQ(ReadFileBytes(title), saved) << "nothing is loaded over the title";
    EXPECT_TRUE(FilesIn(folder, "*.origin").isEmpty());
    EXPECT_EQ(FilesIn(folder, "*.damaged"), QStringList{"ended-1.fca.damaged"});

    // Set aside, it is never offered again.
    e.f.messageBox.shown.clear();
    EXPECT_EQ(e.Aids().OfferRecovery(), 0);
    EXPECT_TRUE(e.f.messageBox.shown.empty());
}

TEST(Recovery, TheCopiesOfAnEditorStillRunningAreNotOffered) {
    test_support::ScratchFolder folder;
    const QString path = QString::fromStdString(folder.Path("recovery"));
    CRecoveryStore running(path);
    EXPECT_FALSE(QFileInfo::exists(path)) << "nothing is made before the first copy";
    const std::vector<uint8_t> bytes = {1, 2, 3};
    ASSERT_TRUE(
        running.Write(running.NewId(), bytes, QStringLiteral("/x/TITLE.FCA"), QStringLiteral("TITLE.FCA")));
    {
        CRecoveryStore starting(path);
        EXPECT_TRUE(starting.LeftBehind().empty()) << "the other editor still owns its copy";
    }
    std::vector<CRecoveryStore::Copy> left;
    {
        auto ended = std::make_unique<CRecoveryStore>(path);
        const QString id = ended->NewId();
        ASSERT_TRUE(ended->Write(id, bytes, QString(), QStringLiteral("Fabrio3")));
        ended.reset();
        left = running.LeftBehind();
    }
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(left[0].title, QStringLiteral("Fabrio3"));
    EXPECT_TRUE(left[0].originalPath.isEmpty());
    EXPECT_EQ(QFileInfo(left[0].copyPath).size(), 3);
}
