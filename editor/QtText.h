#pragma once

#include <QString>
#include <string>

#include "platform/CodePage.h"

// The editor's widgets show the title's Windows-1252 strings and give back what the author typed in the
// same code page.
inline QString QStringFromTitle(const std::string& bytes) {
    return QString::fromStdString(platform::Cp1252ToUtf8(bytes));
}
inline std::string TitleStringFrom(const QString& text) {
    return platform::Utf8ToCp1252(text.toStdString());
}
