#include <gtest/gtest.h>

#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <memory>
#include <string>

#include "editor/CardsListDlg.h"
#include "editor/ColourSwatch.h"
#include "editor/CommandIds.h"
#include "editor/DialogIntegerField.h"
#include "editor/FontChoiceDlg.h"
#include "editor/IdFieldDlg.h"
#include "editor/WorkDirDlg.h"
#include "tests/editor/DrivenDialogs.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScratchFolder.h"

namespace {

using editor_test::Click;
using editor_test::DrivenDialogs;
using editor_test::LabelOf;
using editor_test::Type;

void DoubleClick(QListWidget& list, int row) {
    QListWidgetItem* item = list.item(row);
    ASSERT_NE(item, nullptr);
    const QPoint at = list.visualItemRect(item).center();
    // A double click arrives after a first click, as from a mouse.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
}

QStringList Lines(const QListWidget& list) {
    QStringList lines;
    for (int i = 0; i < list.count(); ++i) lines.push_back(list.item(i)->text());
    return lines;
}

// A document of three cards worked through the cards-list, identifier-field and work-directory commands.
class CardDialogsTest : public editor_test::DrivenCommandsTest {
  protected:
    void SetUp() override {
        DrivenCommandsTest::SetUp();
        MakeCards(3);
    }
    void AddText(int card, const std::string& identifier, const std::string& content) {
        DrivenCommandsTest::AddText(card, identifier)->text = content;
    }
};

TEST_F(CardDialogsTest, TheCardsListCaptionsEachCardAndADoubleClickGoesThere) {
    doc.GetCards().captionField = "titulo";
    AddText(0, "TITULO", "Portada");
    AddText(1, "otro", "no");
    AddText(1, "Titulo", "Cap\xEDtulo");  // Windows-1252 i acute
    dialogs.Next<CCardsListDlg>([](CCardsListDlg& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "Cards list");
        EXPECT_EQ(dlg.CountLabel().text(), "3");
        QStringList labels;
        for (QLabel* label : dlg.findChildren<QLabel*>()) labels.push_back(label->text());
        EXPECT_TRUE(labels.contains("Cards number :"));
        EXPECT_EQ(dlg.CloseButton().text(), "&Close");
        EXPECT_EQ(Lines(dlg.List()), QStringList({"Portada", QString::fromUtf8("Cap\xC3\xADtulo"),
                                                  QString::fromUtf8("Ficha n\xC2\xBA 3")}))
            << "a third card without the text is numbered from 1";
        EXPECT_EQ(dlg.List().currentRow(), 0) << "the list opens on the card being edited";
        DoubleClick(dlg.List(), 2);
    });
    commands.RunCommand(cmd::kCardsList);
    EXPECT_EQ(doc.GetCurrentCard(), 2);
    EXPECT_FALSE(doc.IsModified()) << "choosing a card changes nothing";

    dialogs.Next<CCardsListDlg>([](CCardsListDlg& dlg) {
        EXPECT_EQ(dlg.List().currentRow(), 2);
        dlg.List().setCurrentRow(0);
        Click(dlg.CloseButton());
    });
    commands.RunCommand(cmd::kCardsList);
    EXPECT_EQ(doc.GetCurrentCard(), 2) << "closed: no card chosen";
}

TEST_F(CardDialogsTest, TheIdFieldListIsSortedAndDistinctAndADoubleClickCopiesAnEntry) {
    AddText(0, "nombre", "a");
    AddText(0, "Fecha", "b");
    AddText(1, "nombre", "c");
    AddText(2, "\xC1rea", "d");  // Windows-1252 A acute
    AddText(2, "fecha", "e");
    doc.GetCards().captionField = "antes";
    dialogs.Next<CIdFieldDlg>([](CIdFieldDlg& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "Card's Id field");
        EXPECT_EQ(LabelOf(dlg.FieldEdit()), "&Field:");
        EXPECT_EQ(dlg.FieldEdit().text(), "antes");
        EXPECT_EQ(Lines(dlg.List()),
                  QStringList({"Fecha", "fecha", "nombre", QString::fromUtf8("\xC3\x81rea")}))
            << "each identifier once, exact comparison, in order";
        DoubleClick(dlg.List(), 3);
        EXPECT_TRUE(dlg.isVisible()) << "a double click only copies";
        EXPECT_EQ(dlg.FieldEdit().text(), QString::fromUtf8("\xC3\x81rea"));
        Click(dlg.OkButton());
    });
    commands.RunCommand(cmd::kIdentificatorField);
    EXPECT_EQ(doc.GetCards().captionField, "\xC1rea") << "stored in the title's code page";
    EXPECT_TRUE(doc.IsModified()) << "the title stores the name: closing it must ask";
    EXPECT_EQ(doc.UndoText(), "Undo Identificator field");

    dialogs.Next<CIdFieldDlg>([](CIdFieldDlg& dlg) {
        Type(dlg.FieldEdit(), "nombre");
        Click(dlg.CancelButton());
    });
    commands.RunCommand(cmd::kIdentificatorField);
    EXPECT_EQ(doc.GetCards().captionField, "\xC1rea");
    EXPECT_EQ(Steps(), 1u) << "cancelled: no undo step";

    dialogs.Next<CIdFieldDlg>([](CIdFieldDlg& dlg) { Click(dlg.OkButton()); });
    commands.RunCommand(cmd::kIdentificatorField);
    EXPECT_EQ(Steps(), 1u) << "the same name again changes nothing";
    commands.RunCommand(cmd::kEditUndo);
    EXPECT_EQ(doc.GetCards().captionField, "antes");
}

TEST_F(CardDialogsTest, ATypedWorkDirectoryIsStoredAndACancelledOneIsNot) {
    doc.workDirectory = "C:\\MEDIOS";
    dialogs.Next<CWorkDirDlg>([](CWorkDirDlg& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "Work directory");
        EXPECT_EQ(LabelOf(dlg.DirectoryEdit()), "&Directory :");
        EXPECT_EQ(dlg.DirectoryEdit().text(), "C:\\MEDIOS");
        Type(dlg.DirectoryEdit(), "/srv/medios");
        Click(dlg.CancelButton());
    });
    commands.RunCommand(cmd::kWorkDirectory);
    EXPECT_EQ(doc.workDirectory, "C:\\MEDIOS");
    EXPECT_FALSE(doc.IsModified());

    dialogs.Next<CWorkDirDlg>([](CWorkDirDlg& dlg) {
        Click(dlg.OkButton());  // untouched, the stored path comes back as it was
    });
    commands.RunCommand(cmd::kWorkDirectory);
    EXPECT_EQ(doc.workDirectory, "C:\\MEDIOS");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(Steps(), 0u);

    dialogs.Next<CWorkDirDlg>([](CWorkDirDlg& dlg) {
        Type(dlg.DirectoryEdit(), "/srv/medios");
        Click(dlg.OkButton());
    });
    commands.RunCommand(cmd::kWorkDirectory);
    EXPECT_EQ(doc.workDirectory, "/srv/medios");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.UndoText(), "Undo Work directory");
    commands.RunCommand(cmd::kEditUndo);
    EXPECT_EQ(doc.workDirectory, "C:\\MEDIOS");
}

// ---------------------------------------------------------------- the work directory's tree

class WorkDirTreeTest : public testing::Test {
  protected:
    void SetUp() override {
        for (const char* folder : {"alpha/one/deep", "alpha/two", "alpha/.hidden", "beta", ".dot/inside"})
            std::filesystem::create_directories(scratch.Path(folder));
        test_support::WriteFileBytes(scratch.Path("gamma.txt"), {1});  // a file is no folder
        test_support::WriteFileBytes(scratch.Path("beta/file.txt"), {1});
    }
    QString Path(const std::string& relative = "") const {
        return QString::fromStdString(scratch.Path(relative));
    }

    test_support::ScratchFolder scratch;
    test_support::ScratchFolder empty;
};

QStringList Children(const QTreeWidgetItem& item) {
    QStringList names;
    for (int i = 0; i < item.childCount(); ++i) names.push_back(item.child(i)->text(0));
    return names;
}

TEST_F(WorkDirTreeTest, VolumesShowTheirLabelsAndFoldersAreListedWhenFirstExpanded) {
    CWorkDirDlg dlg("", {{"Datos", Path()}, {"", QString::fromStdString(empty.Path())}});
    dlg.show();
    QTreeWidgetItem& root = dlg.RootItem();
    EXPECT_EQ(root.text(0), "Unidades");
    ASSERT_EQ(root.childCount(), 2);
    QTreeWidgetItem& volume = *root.child(0);
    EXPECT_EQ(volume.text(0), "Datos - " + Path());
    EXPECT_EQ(root.child(1)->text(0), QString::fromStdString(empty.Path())) << "no label: the mount point";
    EXPECT_EQ(root.child(1)->childCount(), 0) << "nothing to expand";

    EXPECT_EQ(Children(volume), QStringList({"alpha"})) << "only the first sub-folder, for the expand mark";
    volume.setExpanded(true);
    EXPECT_EQ(Children(volume), QStringList({"alpha", "beta"})) << "dot folders and files left out";
    QTreeWidgetItem& alpha = *volume.child(0);
    EXPECT_EQ(Children(alpha), QStringList({"one"}));
    EXPECT_EQ(volume.child(1)->childCount(), 0) << "beta has files only";

    alpha.setExpanded(true);
    EXPECT_EQ(Children(alpha), QStringList({"one", "two"}));
    EXPECT_EQ(Children(*alpha.child(0)), QStringList({"deep"}));
    alpha.setExpanded(false);
    std::filesystem::create_directories(scratch.Path("alpha/three"));
    alpha.setExpanded(true);
    EXPECT_EQ(Children(alpha), QStringList({"one", "two"})) << "a listed folder is not listed again";

    dlg.Tree().setCurrentItem(alpha.child(1));
    EXPECT_EQ(dlg.DirectoryEdit().text(), Path("alpha/two"));
    dlg.Tree().setCurrentItem(&root);
    EXPECT_EQ(dlg.DirectoryEdit().text(), Path("alpha/two")) << "the root names no folder";
    dlg.Tree().setCurrentItem(&volume);
    EXPECT_EQ(dlg.DirectoryEdit().text(), Path());
    EXPECT_EQ(dlg.Directory(), scratch.Path());
}

TEST_F(WorkDirTreeTest, AFolderThatCannotBeListedShowsNoChildren) {
    CWorkDirDlg dlg("", {{"", Path("missing")}});
    EXPECT_EQ(dlg.RootItem().child(0)->childCount(), 0);
    dlg.RootItem().child(0)->setExpanded(true);
    EXPECT_EQ(dlg.RootItem().child(0)->childCount(), 0);
}

TEST(WorkDirVolumes, TheMountedVolumesAreRealFolders) {
    const std::vector<WorkVolume> volumes = MountedWorkVolumes();
    ASSERT_FALSE(volumes.empty());
    for (const WorkVolume& volume : volumes) {
        EXPECT_TRUE(std::filesystem::is_directory(volume.root.toStdString())) << volume.root.toStdString();
        EXPECT_NE(volume.root, "/proc");
        EXPECT_NE(volume.root, "/sys");
    }
}

// ---------------------------------------------------------------- integer boxes and fonts

TEST(DialogIntegerFieldTest, IntegersAreReadAsTheFrameworkReadsThem) {
    EXPECT_EQ(ParseDialogInteger(" 12 "), 12);
    EXPECT_EQ(ParseDialogInteger(" +42 "), 42);
    EXPECT_EQ(ParseDialogInteger("-3"), -3);
    EXPECT_EQ(ParseDialogInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseDialogInteger("-2147483648"), -2147483647 - 1);
    for (const char* refused :
         {"", " ", "-", "+", "1.5", "12a", "1 2", "0x10", "2147483648", "99999999999999999999"})
        EXPECT_EQ(ParseDialogInteger(refused), std::nullopt) << refused;
}

TEST(DialogIntegerFieldTest, TheArrowsStepInsideTheSpinRangeWhateverWasTyped) {
    DialogIntegerField field;
    field.SetSpinRange(0, 640);
    field.SetValue(639);
    field.show();
    QTest::keyClick(&field, Qt::Key_Up);
    EXPECT_EQ(field.Value(), 640);
    QTest::keyClick(&field, Qt::Key_Up);
    EXPECT_EQ(field.Value(), 640) << "the arrows stop at the range's end";
    Type(*field.Edit(), "700");
    QTest::keyClick(&field, Qt::Key_Down);
    EXPECT_EQ(field.Value(), 639) << "a typed value beyond the range steps back into it";
    Type(*field.Edit(), "abc");
    QTest::keyClick(&field, Qt::Key_Up);
    EXPECT_EQ(field.Value(), 1) << "no integer: from the bottom of the range";

    DialogIntegerField free;
    free.SetValue(-5);
    free.stepBy(-3);
    EXPECT_EQ(free.Value(), -8) << "without a range the arrows go anywhere";
}

TEST(FontChoiceTest, BoldIsAWeightOfExactly700AndUntouchedFacesAndSizesStay) {
    const FontChoice start{"Arial", 15, true, false, true, 0x102030};
    const QFont shown = QFontOfChoice(start);
    EXPECT_EQ(shown.weight(), QFont::Bold);
    EXPECT_TRUE(shown.underline());
    EXPECT_DOUBLE_EQ(shown.pointSizeF(), 11.25) << "15 pixels at 96 pixels per inch";

    // The dialog may show a substitute family; left as it was, the text keeps its own face and height.
    QFont same = shown;
    same.setFamily("Substitute Sans");
    FontChoice kept = ChoiceOfQFont(same, same, 0x102030, start);
    EXPECT_EQ(kept.face, "Arial");
    EXPECT_EQ(kept.height, 15);
    EXPECT_TRUE(kept.bold);

    QFont chosen = shown;
    chosen.setFamily("Courier New");
    chosen.setPointSizeF(12);
    chosen.setWeight(QFont::DemiBold);
    chosen.setItalic(true);
    FontChoice changed = ChoiceOfQFont(chosen, shown, 0xFFFFFFFF, start);
    EXPECT_EQ(changed.face, "Courier New");
    EXPECT_EQ(changed.height, -16) << "a new size is a character height, as the font dialog gave it";
    EXPECT_FALSE(changed.bold) << "600 is not bold";
    EXPECT_TRUE(changed.italic);
    EXPECT_EQ(changed.colour, 0xFFFFFFu);
    chosen.setWeight(QFont::Black);
    EXPECT_FALSE(ChoiceOfQFont(chosen, shown, 0, start).bold) << "900 is not bold either";

    // A substitute family without a bold style shows the text as normal; left so, the text stays bold.
    QFont plain = shown;
    plain.setWeight(QFont::Normal);
    EXPECT_TRUE(ChoiceOfQFont(plain, plain, 0, start).bold);
    QFont madeBold = plain;
    madeBold.setWeight(QFont::Bold);
    EXPECT_TRUE(ChoiceOfQFont(madeBold, plain, 0, FontChoice{}).bold) << "a bold style chosen";
    EXPECT_FALSE(ChoiceOfQFont(plain, shown, 0, start).bold) << "the bold style taken away";
}

TEST(FontChoiceTest, TheFontDialogStartsOnTheTextsFontAndColour) {
    CFontChoiceDlg dlg(FontChoice{"Arial", -20, false, true, false, 0x0000FF});
    EXPECT_EQ(dlg.windowTitle(), "Font");
    EXPECT_EQ(dlg.Colour().Colour(), 0x0000FFu);
    const FontChoice untouched = dlg.Choice();
    EXPECT_EQ(untouched.face, "Arial");
    EXPECT_EQ(untouched.height, -20);
    EXPECT_TRUE(untouched.italic);
    EXPECT_FALSE(untouched.bold);
    EXPECT_EQ(untouched.colour, 0x0000FFu);

    // A bold face opens on a bold style of the family that stands in for it, and comes back bold.
    CFontChoiceDlg bold(FontChoice{"Arial", 15, true, false, true, 0});
    EXPECT_EQ(bold.Fonts().currentFont().weight(), QFont::Bold);
    EXPECT_TRUE(bold.Choice().bold);
    EXPECT_TRUE(bold.Choice().underline);
    EXPECT_EQ(bold.Choice().height, 15);
}

}  // namespace
