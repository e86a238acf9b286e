#include "editor/DialogStrings.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include "platform/CodePage.h"

QString ShownText(const std::string& stored) {
    return QString::fromStdString(platform::Cp1252ToUtf8(stored));
}

std::string StoredText(const QString& shown) {
    return platform::Utf8ToCp1252(shown.toStdString());
}

QString ShownParagraphs(const std::string& stored) {
    QString shown = ShownText(stored);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

std::string EditedText(const QLineEdit& edit, const std::string& stored) {
    return edit.isModified() ? StoredText(edit.text()) : stored;
}

std::string EditedParagraphs(const QPlainTextEdit& edit, const std::string& stored) {
    if (!edit.document()->isModified()) return stored;
    QString paragraphs = edit.toPlainText();
    paragraphs.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return StoredText(paragraphs);
}
