#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/AuthoringAids.h"
#include "editor/CardOverview.h"
#include "editor/CheckPanel.h"
#include "editor/EditorCommands.h"
#include "editor/FichaView.h"
#include "engine/PhasedSprite.h"
#include "model/Actions.h"
#include "model/FichaDoc.h"
#include "model/Texto.h"
#include "tests/editor/FrameTestSupport.h"
#include "tests/model/DocTestSupport.h"
#include "tests/support/Streams.h"

// Helpers of the authoring aids' tests: titles with navigation actions written into the fixture's
// scratch folder, and the running editor's frame around them.
namespace aids_test {

// A sprite numbered `number` whose click action is `action` with the given arguments.
inline std::unique_ptr<CPhasedSprite> ActionSprite(int32_t number, int32_t action, const std::string& a1 = "",
                                                   const std::string& a2 = "") {
    auto sprite = doc_test::MakeSprite(number, 10 + 30 * number, 400, 50 + number, 20, 20);
    sprite->SetClickAction(action);
    sprite->SetClickArgument(0, a1);
    sprite->SetClickArgument(1, a2);
    return sprite;
}

// A player's document with `cards` cards, card i holding the text "card i" (identifier "name"), saved
// by the test at a path it chooses; the sprites are the test's.
class TitleDraft {
  public:
    explicit TitleDraft(int cards) {
        RegisterTitleClasses();
        for (int i = 0; i < cards; ++i) {
            auto card = std::make_unique<CFicha>();
            auto text =
                std::make_unique<CTexto>("card " + std::to_string(i), platform::Rect{20, 20, 300, 60});
            text->identifier = "name";
            card->AddText(std::move(text));
            doc.GetCards().Add(std::move(card));
        }
    }
    TitleDraft& Add(std::unique_ptr<CSprite> sprite) {
        doc.GetSpriteList().Insert(std::move(sprite));
        return *this;
    }
    std::string SaveAs(const std::string& path) { return test_support::SaveDocument(doc, path); }

    CFichaDoc doc{Variant::player};
};

// The contents of each card's first text, in card order: which card lies where.
inline std::vector<std::string> CardNames(const CFichaDoc& doc) {
    std::vector<std::string> names;
    for (const CFicha* card : doc.GetCards())
        names.push_back(card->texts.IsEmpty() ? "" : card->texts.GetAt(0)->text);
    return names;
}

// The running editor's frame; Open puts a title of the scratch folder in a child window.
struct AidsFrame {
    AidsFrame() : frame(f.MakeFrame(f.EditingFactory())) {}
    CChildFrame* Open(const std::string& path) {
        child = frame.OpenDocument(QString::fromStdString(path));
        return child;
    }
    std::string Path(const std::string& name) const { return f.folder.Path(name); }
    CFichaDoc& Doc() { return child->Document(); }
    CFichaView& View() { return *dynamic_cast<CFichaView*>(child->Parts().view); }
    CAuthoringAids& Aids() { return frame.Aids(); }

    frame_test::FrameFixture f;
    CMainFrame& frame;
    CChildFrame* child = nullptr;
};

}  // namespace aids_test
