#include "editor/QtEditorDialogs.h"

// The element dialogs: text, align texts, text format, picture, video, gradient, cards list, card
// identifier field and work directory. Not built yet: until they are, each answers as if the user had
// cancelled, so the commands change nothing and leave no undo step.

bool QtEditorDialogs::TextProperties(TextFields&) {
    return false;
}
std::optional<AlignTextsChoice> QtEditorDialogs::AlignTexts(const AlignTextsChoice&) {
    return std::nullopt;
}
bool QtEditorDialogs::TextFormat(const std::string&, const FontChoice&,
                                 const std::function<void(const std::string&, const FontChoice&)>&) {
    return false;
}
bool QtEditorDialogs::PictureProperties(CFoto&) {
    return false;
}
bool QtEditorDialogs::VideoProperties(CVideo&) {
    return false;
}
std::optional<int> QtEditorDialogs::CardsList(const CArrayFichas&, int) {
    return std::nullopt;
}
std::optional<std::string> QtEditorDialogs::IdentificatorField(const std::string&,
                                                               const std::vector<std::string>&) {
    return std::nullopt;
}
std::optional<std::string> QtEditorDialogs::WorkDirectory(const std::string&) {
    return std::nullopt;
}

// Until the gradient dialog comes, its two colour swatches are asked one after the other.
std::optional<std::pair<uint32_t, uint32_t>> QtEditorDialogs::ChooseGradient(uint32_t initial,
                                                                             uint32_t final) {
    std::optional<uint32_t> top = ChooseColour(initial);
    if (!top) return std::nullopt;
    std::optional<uint32_t> bottom = ChooseColour(final);
    if (!bottom) return std::nullopt;
    return std::make_pair(*top, *bottom);
}

