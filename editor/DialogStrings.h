#pragma once

#include <QString>
#include <string>

class QLineEdit;
class QPlainTextEdit;

// The model's strings (Windows-1252 bytes) as the dialogs show them, and back.
QString ShownText(const std::string& stored);
std::string StoredText(const QString& shown);

// A multi-line text: the model separates paragraphs with CR LF, the edit box with LF.
QString ShownParagraphs(const std::string& stored);

// What the author left in a box that was filled with `stored`: the stored bytes themselves when nobody
// edited the box (so that bytes a box cannot show, such as a lone CR, survive a dialog confirmed without
// touching them), else the box's text, a multi-line one with CR LF between its paragraphs. A box that the
// dialog itself fills with something new marks itself modified.
std::string EditedText(const QLineEdit& edit, const std::string& stored);
std::string EditedParagraphs(const QPlainTextEdit& edit, const std::string& stored);
