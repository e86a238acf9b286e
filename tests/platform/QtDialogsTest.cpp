#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>

#include "platform/qt/QtFileDialog.h"
#include "platform/qt/QtMessageBox.h"
#include "tests/support/ModalDialogs.h"
#include "tests/support/QtApp.h"

using namespace platform;

using test_support::WhenModal;

class QtDialogs : public testing::Test {
  protected:
    void SetUp() override { test_support::EnsureQtApplication(); }
};

TEST(WindowsFilterToQt, ConvertsNamesAndPatternListsPairByPair) {
    EXPECT_EQ(WindowsFilterToQt("Bitmaps (*.bmp)|*.bmp|JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|Todos (*.*)|*.*||"),
              QStringList({"Bitmaps (*.bmp)", "JPEG (*.jpg *.jpeg)", "Todos (*)"}));
    // The patterns after the bar count, not whatever the name's parentheses say.
    EXPECT_EQ(WindowsFilterToQt("Im\xC3\xA1genes (*.bmp)|*.bmp; *.pcx||"),
              QStringList({QString::fromUtf8("Im\xC3\xA1genes (*.bmp *.pcx)")}));
    EXPECT_EQ(WindowsFilterToQt("Fichas|*.fca||"), QStringList({"Fichas (*.fca)"}));
    EXPECT_EQ(WindowsFilterToQt("|*.wav||"), QStringList({"*.wav"}));
    EXPECT_EQ(WindowsFilterToQt("Sin barras (*.x)"), QStringList({"Sin barras (*.x)"}));
    EXPECT_TRUE(WindowsFilterToQt("").isEmpty());
    EXPECT_TRUE(WindowsFilterToQt("||").isEmpty());
}

TEST_F(QtDialogs, MessageBoxIsMadeUpFromTheRequest) {
    auto box = CreateQtMessageBox("No se encuentra el fichero", "Lumeo", MessageIcon::stop,
                                  MessageButtons::yesNoCancel, nullptr);
    EXPECT_EQ(box->text(), QString::fromUtf8("No se encuentra el fichero"));
    EXPECT_EQ(box->windowTitle(), QString("Lumeo"));
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::Yes));
    auto plain = CreateQtMessageBox("<b>x</b>", "", MessageIcon::exclamation, MessageButtons::ok, nullptr);
    EXPECT_EQ(plain->icon(), QMessageBox::Warning);
    EXPECT_EQ(plain->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(plain->textFormat(), Qt::PlainText);  // titles' texts are never markup
}

TEST_F(QtDialogs, MessageBoxAnswersWithTheButtonPressedOrItsCancellingButton) {
    EXPECT_EQ(AnswerFromQtButton(QMessageBox::No, MessageButtons::yesNo), MessageAnswer::no);
    EXPECT_EQ(AnswerFromQtButton(QMessageBox::Cancel, MessageButtons::okCancel), MessageAnswer::cancel);
    EXPECT_EQ(AnswerFromQtButton(QMessageBox::NoButton, MessageButtons::ok), MessageAnswer::ok);
    EXPECT_EQ(AnswerFromQtButton(QMessageBox::NoButton, MessageButtons::yesNo), MessageAnswer::no);
    EXPECT_EQ(AnswerFromQtButton(QMessageBox::NoButton, MessageButtons::yesNoCancel), MessageAnswer::cancel);

    QtMessageBox messages;
    WhenModal<QMessageBox>([](QMessageBox& box) { box.button(QMessageBox::No)->click(); });
    EXPECT_EQ(messages.Show("\xC2\xBFGuardar?", "Fabrio", MessageIcon::question, MessageButtons::yesNoCancel),
              MessageAnswer::no);
    WhenModal<QMessageBox>([](QMessageBox& box) { box.reject(); });
    EXPECT_EQ(messages.Show("Seguro?", "", MessageIcon::question, MessageButtons::okCancel),
              MessageAnswer::cancel);
}

TEST_F(QtDialogs, FileDialogIsSetUpFromTheRequest) {
    FileDialogRequest request;
    request.save = true;
    request.filter = "Fichas (*.fca)|*.fca|Todos (*.*)|*.*||";
    request.defaultExtension = "fca";
    request.initialName = "nueva.fca";
    request.overwritePrompt = true;
    auto save = CreateQtFileDialog(request, nullptr);
    EXPECT_EQ(save->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(save->nameFilters(), QStringList({"Fichas (*.fca)", "Todos (*)"}));
    EXPECT_EQ(save->defaultSuffix(), QString("fca"));
    EXPECT_FALSE(save->testOption(QFileDialog::DontConfirmOverwrite));

    FileDialogRequest open;
    open.fileMustExist = true;
    open.defaultExtension = ".wav";
    auto dialog = CreateQtFileDialog(open, nullptr);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->defaultSuffix(), QString("wav"));
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
}

TEST(QtFileDialogAnswer, IsTheFirstChosenFileOfAnAcceptedDialogOnly) {
    EXPECT_EQ(AnswerFromQtFileDialog(QDialog::Accepted, {"/m\xC3\xBAsica/a.wav", "/b.wav"}),
              std::optional<std::string>("/m\xC3\xBAsica/a.wav"));
    EXPECT_EQ(AnswerFromQtFileDialog(QDialog::Rejected, {"/a.wav"}), std::nullopt);
    EXPECT_EQ(AnswerFromQtFileDialog(QDialog::Accepted, {}), std::nullopt);
}

// Choosing a file by hand in the real dialog depends on a folder listing Qt reads in the background, so
// only cancelling is driven through it; what an accepted dialog answers is checked above.
TEST_F(QtDialogs, FileDialogAnswersNothingWhenCancelled) {
    FileDialogRequest request;
    request.filter = "Sonidos (*.wav)|*.wav||";
    request.fileMustExist = true;
    QtFileDialog dialogs;
    WhenModal<QFileDialog>([](QFileDialog& d) { d.reject(); });
    EXPECT_EQ(dialogs.Ask(request), std::nullopt);
}
