#pragma once

// The commands of Fabrio's menus, toolbars, accelerators and context menus, by the identifiers that the
// original resources gave them. The frame, the card view and the editing commands meet on these numbers:
// a menu entry carries one, the active view and its document handle it.
namespace cmd {

// File
constexpr int kFileNew = 57600;
constexpr int kFileOpen = 57601;
constexpr int kFileClose = 57602;
constexpr int kFileSave = 57603;
constexpr int kFileSaveAs = 57604;
constexpr int kFilePrint = 57607;
constexpr int kFileMruFirst = 57616;  // the recent files, up to kFileMruLast
constexpr int kFileMruLast = 57631;
constexpr int kAppExit = 57665;

// Edit
constexpr int kEditCopy = 57634;
constexpr int kEditCut = 57635;
constexpr int kEditPaste = 57637;
constexpr int kEditUndo = 57643;
constexpr int kEditRedo = 57644;  // beyond the original: many undo levels with redo

// Screen > Background Image
constexpr int kBackgroundFromFile = 32771;
constexpr int kBackgroundSolidColor = 32858;
constexpr int kBackgroundGradient = 32859;
// Screen > Insert (also the insert bar)
constexpr int kInsertSprite = 32772;
constexpr int kInsertText = 32824;
constexpr int kInsertPicture = 32850;
constexpr int kInsertVideo = 32851;
constexpr int kSelectTool = 32863;  // the insert bar's arrow
constexpr int kSpritesList = 32788;
// Screen > Card
constexpr int kAddCard = 32801;
constexpr int kDuplicateCard = 32838;
constexpr int kDeleteCard = 32783;
constexpr int kIdentificatorField = 32845;
constexpr int kCardsList = 32832;
constexpr int kNextCard = 32805;
constexpr int kPreviousCard = 32806;
constexpr int kFirstCard = 32826;
constexpr int kLastCard = 32827;
// Screen > Format
constexpr int kAlignUp = 32793;
constexpr int kAlignDown = 32794;
constexpr int kAlignLeft = 32795;
constexpr int kAlignRight = 32796;
constexpr int kSpaceEvenlyDown = 32797;
constexpr int kSpaceEvenlyAcross = 32798;
constexpr int kTextPosition = 32823;  // no handler: stays disabled
constexpr int kWorkDirectory = 32831;
constexpr int kSizeToContent = 32861;

// View
constexpr int kViewToolBar = 59392;
constexpr int kViewStatusBar = 59393;
constexpr int kViewInsertBar = 32864;
constexpr int kTest = 32791;
constexpr int kTestFromThisCard = 32865;  // beyond the original: Lumeo windowed on the current card
constexpr int kViewGrid = 32866;          // beyond the original: drags and insertions snap to a grid
// Beyond the original: the authoring aids (the check panel, the card overview and the link map).
constexpr int kViewCheckPanel = 32867;
constexpr int kCheckTitle = 32868;
constexpr int kViewCardOverview = 32869;
constexpr int kViewLinkMap = 32870;

// Window
constexpr int kWindowNew = 57648;
constexpr int kWindowArrange = 57649;
constexpr int kWindowCascade = 57650;
constexpr int kWindowTile = 57651;

// Help
constexpr int kAppAbout = 57664;
constexpr int kHelp = 57670;

// The toolbar's last button: no action, shown disabled.
constexpr int kNoAction = 32862;

// Sprite context menu (133)
constexpr int kSpriteConfiguration = 32778;
constexpr int kSpriteEvents = 32776;
constexpr int kChangeBitmap = 32844;
constexpr int kSpriteProperties = 32779;  // also the Enter key
constexpr int kDeleteSelection = 32780;   // also the Del key
// Text context menu (173)
constexpr int kEditText = 32825;
constexpr int kAlignTexts = 32833;
constexpr int kTextFormat = 32834;
constexpr int kRepeatInAllCards = 32835;
constexpr int kConvertInCounter = 32837;
constexpr int kDeleteText = 32839;
// Picture (180) and video (181) context menus
constexpr int kPictureProperties = 32853;
constexpr int kPictureDelete = 32852;  // no handler: stays disabled
constexpr int kVideoProperties = 32857;
constexpr int kVideoDelete = 32856;  // no handler: stays disabled
// Screen context menu (182)
constexpr int kScreenProperties = 32786;

}  // namespace cmd
