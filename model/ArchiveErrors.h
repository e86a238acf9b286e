#pragma once

#include <exception>
#include <string>

#include "archive/Archive.h"
#include "platform/File.h"

// The messages the documents show when opening or saving a title fails. Texts are UTF-8.
enum class DocumentOperation { open, save };

// Message for an archive error met while opening or saving.
std::string ArchiveErrorMessage(CArchiveException::Cause cause, DocumentOperation operation);
// Message for a file error; `fileName` stands for %1. An empty name falls back to the texts that need no
// name.
std::string FileErrorMessage(platform::FileError cause, const std::string& fileName,
                             DocumentOperation operation);
// The archive error's own message, for reports outside opening and saving.
std::string ArchiveErrorOwnMessage(CArchiveException::Cause cause, const std::string& fileName);
// Message for whatever an open or save path caught (archive, file or other exception). When the
// document's own file name is given, file errors name it rather than the file that failed (a scratch
// file the user never sees), and an error that carries no name is still reported with one.
std::string MessageForException(std::exception_ptr error, DocumentOperation operation,
                                const std::string& documentPath = {});
