#pragma once

#include <QDialog>
#include <QFont>
#include <functional>
#include <optional>

#include "editor/EditorDialogs.h"

class QFontDialog;
class ColourSwatch;

// A text's font as the font dialog shows it. The text's height is a font request's height in pixels; the
// dialog speaks of points on a screen of 96 pixels per inch, as the editor's screens had.
QFont QFontOfChoice(const FontChoice& choice);
// The font chosen in the dialog as the text stores it; `shown` is what the dialog showed of `start` when
// it opened. Whatever the author left as it was keeps the text's own value (the dialog may show a
// substitute of a face this system lacks, or of a style that substitute lacks, and a cell height stays
// one); a new size becomes a character height, negative, as the platform's font dialog gave it. Bold is a
// weight of exactly 700, so semi-bold and black faces are not bold.
FontChoice ChoiceOfQFont(const QFont& font, const QFont& shown, uint32_t colour, const FontChoice& start);

// The font dialog of the text dialogs: the face, style, size and effects of Qt's font dialog with the
// text's colour beside them, on one page, as the platform's font dialog with effects showed them.
class CFontChoiceDlg : public QDialog {
    Q_OBJECT
  public:
    CFontChoiceDlg(const FontChoice& start, QWidget* parent = nullptr);

    FontChoice Choice() const;
    QFontDialog& Fonts() { return *fonts_; }
    ColourSwatch& Colour() { return *colour_; }

  private:
    FontChoice start_;
    QFont shown_;
    QFontDialog* fonts_ = nullptr;
    ColourSwatch* colour_ = nullptr;
};

// How a dialog asks for a font: the editor opens CFontChoiceDlg, tests answer themselves.
using FontChooser = std::function<std::optional<FontChoice>(const FontChoice& start)>;

// Opens the font dialog on `start`: the font and colour chosen, or nothing when cancelled.
std::optional<FontChoice> AskFont(QWidget* parent, const FontChoice& start);
