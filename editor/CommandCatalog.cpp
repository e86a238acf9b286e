#include "editor/CommandCatalog.h"

#include <map>

#include "editor/CommandIds.h"

namespace {

// The prompts follow the wording of the program's own resources; the standard commands keep the
// framework's usual texts.
const std::map<int, const char*>& StringTable() {
    static const std::map<int, const char*> table = {
        {cmd::kFileNew, "Create a new document\nNew"},
        {cmd::kFileOpen, "Open an existing document\nOpen"},
        {cmd::kFileClose, "Close the active document\nClose"},
        {cmd::kFileSave, "Save the active document\nSave"},
        {cmd::kFileSaveAs, "Save the active document with a new name\nSave As"},
        {cmd::kFilePrint, "Print the active card\nPrint"},
        {cmd::kAppExit, "Quit the application; prompts to save documents\nExit"},
        {cmd::kEditCopy, "Copy the selection and put it on the Clipboard\nCopy"},
        {cmd::kEditCut, "Cut the selection and put it on the Clipboard\nCut"},
        {cmd::kEditPaste, "Insert Clipboard contents\nPaste"},
        {cmd::kEditUndo, "Undo the last action\nUndo"},
        {cmd::kEditRedo, "Redo the last undone action\nRedo"},
        {cmd::kBackgroundFromFile, "Loads the background from a file\nLoad background"},
        {cmd::kBackgroundSolidColor, "Fills the background with a solid color\nSolid color"},
        {cmd::kBackgroundGradient, "Fills the background with a gradient\nGradient"},
        {cmd::kInsertSprite, "Inserts a sprite\nSprite"},
        {cmd::kInsertText, "Inserts a text\nText"},
        {cmd::kInsertPicture, "Inserts a picture\nPicture"},
        {cmd::kInsertVideo, "Inserts a video\nVideo"},
        {cmd::kSelectTool, "Selects and moves the elements of the card\nSelect"},
        {cmd::kSpritesList, "Shows the list of sprites\nSprites list"},
        {cmd::kAddCard, "Adds a new card to the end of the cards list\nAdd card"},
        {cmd::kDuplicateCard,
         "Duplicates and adds the actual card to the end of de cards list\nDuplicate card"},
        {cmd::kDeleteCard, "Deletes the actual card\nDelete card"},
        {cmd::kIdentificatorField, "Chooses the text that names each card\nIdentificator field"},
        {cmd::kCardsList, "Shows the list of cards\nCards list"},
        {cmd::kNextCard, "Goes to the next card\nNext card"},
        {cmd::kPreviousCard, "Goes to the previous card\nPrevious card"},
        {cmd::kFirstCard, "Goes to the first card\nFirst card"},
        {cmd::kLastCard, "Goes to the last card\nLast card"},
        {cmd::kAlignUp, "Aligns the top edges of the selected items\nAlign up"},
        {cmd::kAlignDown, "Aligns the bottom edges of the selected items\nAlign down"},
        {cmd::kAlignLeft, "Aligns the left edges of the selected items\nAlign left"},
        {cmd::kAlignRight, "Aligns the right edges of the selected items\nAlign right"},
        {cmd::kSpaceEvenlyDown, "Evenly spaces the selected items vertically\nSpace evenly down"},
        {cmd::kSpaceEvenlyAcross, "Evenly spaces the selected items horizontally\nSpace evenly across"},
        {cmd::kTextPosition, "Places the texts of the card\nText position"},
        {cmd::kWorkDirectory, "Sets the folder of the pictures and videos\nWork directory"},
        {cmd::kSizeToContent, "Adjusts the window size to the background size\nSize to content"},
        {cmd::kViewToolBar, "Show or hide the toolbar\nToggle ToolBar"},
        {cmd::kViewStatusBar, "Show or hide the status bar\nToggle StatusBar"},
        {cmd::kViewInsertBar, "Shows or hide the insert bar\nToggle insert bar"},
        {cmd::kViewGrid, "Snaps drags and insertions to a grid\nGrid"},
        {cmd::kViewCheckPanel, "Shows or hides what would go wrong when the title plays\nCheck panel"},
        {cmd::kCheckTitle, "Looks for what would go wrong when the title plays\nCheck title"},
        {cmd::kViewCardOverview, "Shows or hides the cards in a row of pictures\nCard overview"},
        {cmd::kViewLinkMap, "Shows where the actions of the title lead\nLink map"},
        {cmd::kTest, "Tests the screen\nTest"},
        {cmd::kTestFromThisCard, "Tests the screen from the actual card, in a window\nTest from this card"},
        {cmd::kWindowNew, "Open another window for the active document\nNew Window"},
        {cmd::kWindowArrange, "Arrange icons at the bottom of the window\nArrange Icons"},
        {cmd::kWindowCascade, "Arrange windows so they overlap\nCascade Windows"},
        {cmd::kWindowTile, "Arrange windows as non-overlapping tiles\nTile Windows"},
        {cmd::kAppAbout, "Display program information, version number and copyright\nAbout"},
        {cmd::kHelp, "Shows the help of Fabrio\nHelp"},
        {cmd::kSpriteConfiguration, "Sets the sprite's picture, frames and animation\nConfiguration"},
        {cmd::kSpriteEvents, "Sets the sprite's click and move events\nEvents"},
        {cmd::kChangeBitmap, "Loads another picture for the sprite\nChange bitmap"},
        {cmd::kSpriteProperties, "Shows the properties of the sprite\nProperties"},
        {cmd::kDeleteSelection, "Deletes the selected items\nDelete"},
        {cmd::kEditText, "Edits the text\nEdit text"},
        {cmd::kAlignTexts, "Aligns the texts\nAlign texts"},
        // The original resources kept the paste message of the editing commands in this slot, so the
        // status bar showed a warning about videos while the pointer lay on "Text format".
        {cmd::kTextFormat, "Sets the alignment and the font of the text\nText format"},
        {cmd::kRepeatInAllCards, "Repeats the text in all the cards\nRepeat in all cards"},
        {cmd::kConvertInCounter, "Converts the text in a counter of cards\nConvert in counter"},
        {cmd::kDeleteText, "Deletes the text\nDelete"},
        {cmd::kPictureProperties, "Shows the properties of the picture\nProperties"},
        {cmd::kPictureDelete, "Deletes the picture\nDelete"},
        {cmd::kVideoProperties, "Shows the properties of the video\nProperties"},
        {cmd::kVideoDelete, "Deletes the video\nDelete"},
        {cmd::kScreenProperties, "Shows the properties of the screen and the card\nProperties"},
    };
    return table;
}

}  // namespace

QString CommandString(int id) {
    if (id >= cmd::kFileMruFirst && id <= cmd::kFileMruLast) return QStringLiteral("Open this document");
    const auto& table = StringTable();
    const auto found = table.find(id);
    return found == table.end() ? QString() : QString::fromUtf8(found->second);
}

QString CommandPrompt(int id) {
    return CommandString(id).section(u'\n', 0, 0);
}

QString CommandToolTip(int id) {
    const QString s = CommandString(id);
    const qsizetype lineBreak = s.indexOf(u'\n');
    return lineBreak < 0 ? QString() : s.mid(lineBreak + 1);
}

const std::vector<Accelerator>& AcceleratorTable() {
    static const std::vector<Accelerator> table = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), cmd::kFileNew},
        {QKeySequence(Qt::CTRL | Qt::Key_A), cmd::kFileOpen},
        {QKeySequence(Qt::CTRL | Qt::Key_G), cmd::kFileSave},
        {QKeySequence(Qt::CTRL | Qt::Key_P), cmd::kFilePrint},
        {QKeySequence(Qt::CTRL | Qt::Key_C), cmd::kEditCopy},
        {QKeySequence(Qt::CTRL | Qt::Key_Insert), cmd::kEditCopy},
        {QKeySequence(Qt::CTRL | Qt::Key_V), cmd::kEditPaste},
        {QKeySequence(Qt::SHIFT | Qt::Key_Insert), cmd::kEditPaste},
        {QKeySequence(Qt::CTRL | Qt::Key_X), cmd::kEditCut},
        {QKeySequence(Qt::SHIFT | Qt::Key_Delete), cmd::kEditCut},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), cmd::kEditUndo},
        {QKeySequence(Qt::ALT | Qt::Key_Backspace), cmd::kEditUndo},
        {QKeySequence(Qt::CTRL | Qt::Key_Y), cmd::kEditRedo},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), cmd::kEditRedo},
        {QKeySequence(Qt::Key_Delete), cmd::kDeleteSelection},
        {QKeySequence(Qt::Key_Return), cmd::kSpriteProperties},
        {QKeySequence(Qt::Key_Enter), cmd::kSpriteProperties},
        {QKeySequence(Qt::Key_F1), cmd::kHelp},
    };
    return table;
}

QList<QKeySequence> AcceleratorsOf(int id) {
    QList<QKeySequence> keys;
    for (const Accelerator& a : AcceleratorTable())
        if (a.command == id) keys << a.keys;
    return keys;
}

QString AcceleratorName(const QKeySequence& keys) {
    if (keys.isEmpty()) return QString();
    const QKeyCombination combination = keys[0];
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    QString name;
    if (modifiers & Qt::AltModifier) name += QStringLiteral("Alt+");
    if (modifiers & Qt::ControlModifier) name += QStringLiteral("Ctrl+");
    if (modifiers & Qt::ShiftModifier) name += QStringLiteral("Shift+");
    switch (combination.key()) {
        // The keyboard names these keys "Enter" whether on the main block or the keypad.
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return name + QStringLiteral("Enter");
        default:
            return name + QKeySequence(combination.key()).toString(QKeySequence::PortableText);
    }
}

QString MenuTextWithAccelerators(const QString& text, int id) {
    QString result = text.section(u'\t', 0, 0);
    QStringList names;
    for (const QKeySequence& keys : AcceleratorsOf(id)) {
        const QString name = AcceleratorName(keys);
        if (!names.contains(name)) names << name;
    }
    if (!names.isEmpty()) result += u'\t' + names.join(QStringLiteral(", "));
    return result;
}
