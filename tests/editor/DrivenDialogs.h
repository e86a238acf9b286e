#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/EditorClipboard.h"
#include "editor/EditorCommands.h"
#include "editor/QtEditorDialogs.h"
#include "model/Classes.h"
#include "model/FichaDoc.h"
#include "platform/MessageBox.h"
#include "tests/editor/DialogInput.h"
#include "tests/editor/EditorTestSupport.h"

// The editor's real dialogs, run without a modal loop: instead of blocking in exec(), each dialog is shown
// and handed to the test's script, which types into its controls and presses its buttons as the author
// would. The font and colour dialogs answer from scripts, recording what they were opened on.
namespace editor_test {

class DrivenDialogs : public QtEditorDialogs {
  public:
    // Acts on the next dialog of type D; the script should end by closing it.
    template <class D>
    void Next(std::function<void(D&)> script) {
        scripts.push_back([script](QDialog& dialog) {
            auto* typed = dynamic_cast<D*>(&dialog);
            ASSERT_NE(typed, nullptr) << "another dialog opened: " << dialog.windowTitle().toStdString();
            script(*typed);
        });
    }

    std::optional<FontChoice> ChooseFont(const FontChoice& start) override {
        fontStarts.push_back(start);
        if (fonts.empty()) return std::nullopt;
        std::optional<FontChoice> answer = fonts.front();
        fonts.pop_front();
        return answer;
    }
    std::optional<uint32_t> ChooseColour(uint32_t initial) override {
        colourStarts.push_back(initial);
        if (colours.empty()) return std::nullopt;
        std::optional<uint32_t> answer = colours.front();
        colours.pop_front();
        return answer;
    }

    std::deque<std::function<void(QDialog&)>> scripts;
    std::deque<std::optional<FontChoice>> fonts;
    std::deque<std::optional<uint32_t>> colours;
    std::vector<FontChoice> fontStarts;
    std::vector<uint32_t> colourStarts;
    int runs = 0;

  protected:
    int Run(QDialog& dialog) override {
        ++runs;
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        if (scripts.empty()) {
            ADD_FAILURE() << "no script for " << dialog.windowTitle().toStdString();
        } else {
            std::function<void(QDialog&)> script = std::move(scripts.front());
            scripts.pop_front();
            script(dialog);
        }
        // A script that leaves the dialog open is a test that lost its way: the dialog is cancelled.
        if (dialog.isVisible()) {
            ADD_FAILURE() << dialog.windowTitle().toStdString() << " was left open";
            dialog.reject();
        }
        return dialog.result();
    }
};

// An editor document worked through its commands and the driven dialogs.
class DrivenCommandsTest : public testing::Test {
  protected:
    void SetUp() override {
        RegisterTitleClasses();
        ASSERT_TRUE(doc.OnNewDocument());
    }
    void TearDown() override {
        doc.OnCloseDocument();
        EXPECT_TRUE(dialogs.scripts.empty()) << "a scripted dialog never opened";
    }

    // Makes `n` cards in all; the first stays the current one.
    void MakeCards(int n) {
        while (static_cast<int>(doc.GetCards().GetSize()) < n) doc.AppendCard(std::make_unique<CFicha>());
        doc.FirstCard();
    }
    // A text on card `card`, made with the cards before it.
    CTexto* AddText(int card, const std::string& identifier, platform::Rect rect = {0, 0, 100, 100}) {
        MakeCards(card + 1);
        auto text = std::make_unique<CTexto>();
        text->identifier = identifier;
        text->rect = rect;
        CTexto* added = text.get();
        doc.CardAt(card)->AddText(std::move(text));
        return added;
    }
    CFicha& Card(int i) { return *doc.CardAt(i); }
    size_t Steps() const { return doc.GetUndoHistory().UndoCount(); }
    std::vector<std::string> Messages() const { return box.Texts(); }

    platform::RecordingMessageBox box;
    platform::ScopedMessageBox scopedBox{box};
    CFichaDoc doc{Variant::editor};
    FakeCardView view{doc};
    EditorClipboard clipboard;
    DrivenDialogs dialogs;
    CEditorCommands commands{doc, &view, clipboard, dialogs};
};

}  // namespace editor_test
