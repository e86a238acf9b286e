#include <gtest/gtest.h>

#include "platform/FileDialog.h"
#include "platform/MessageBox.h"

using namespace platform;

TEST(RecordingMessageBox, RecordsBoxesAndAnswersFromTheScriptThenWithTheFirstButton) {
    RecordingMessageBox box;
    box.answers = {MessageAnswer::no};
    {
        ScopedMessageBox scope(box);
        EXPECT_EQ(Messages().Show("¿Guardar?", "Fabrio", MessageIcon::question, MessageButtons::yesNoCancel),
                  MessageAnswer::no);
        EXPECT_EQ(Messages().Show("Otra", "", MessageIcon::question, MessageButtons::yesNo),
                  MessageAnswer::yes);
        ShowMessage("Error");
    }
    EXPECT_NE(&Messages(), &box);  // the guard put the previous box back
    ASSERT_EQ(box.shown.size(), 3u);
    EXPECT_EQ(box.shown[0].text, "¿Guardar?");
    EXPECT_EQ(box.shown[0].caption, "Fabrio");
    EXPECT_EQ(box.shown[0].buttons, MessageButtons::yesNoCancel);
    EXPECT_EQ(box.shown[2].icon, MessageIcon::exclamation);
    EXPECT_EQ(box.shown[2].buttons, MessageButtons::ok);
}

TEST(ScriptedFileDialog, RecordsRequestsAndCancelsWhenTheScriptRunsOut) {
    ScriptedFileDialog dialog;
    dialog.answers = {std::string("/tmp/a.fca"), std::nullopt};
    SetFileDialog(&dialog);
    FileDialogRequest request;
    request.filter = "Fichas (*.fca)|*.fca||";
    EXPECT_EQ(FileDialogs().Ask(request), std::optional<std::string>("/tmp/a.fca"));
    EXPECT_EQ(FileDialogs().Ask(request), std::nullopt);
    EXPECT_EQ(FileDialogs().Ask(request), std::nullopt);
    SetFileDialog(nullptr);
    EXPECT_EQ(FileDialogs().Ask(request), std::nullopt);  // nobody to ask without a window
    ASSERT_EQ(dialog.requests.size(), 3u);
    EXPECT_EQ(dialog.requests[0].filter, "Fichas (*.fca)|*.fca||");
}
