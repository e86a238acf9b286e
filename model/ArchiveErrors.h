#pragma once

#include <exception>
#include <string>

#include "model/Archive.h"
#include "platform/File.h"

// The messages the documents show when opening or saving a title fails. Texts are UTF-8.
enum class DocumentOperation { open, save };

// Message for an archive error met while opening or saving.
std::string ArchiveErrorMessage(CArchiveException::Cause cause, DocumentOperation operation);
// Message for a file error; `fileName` stands for %1. An empty name falls back to the texts that need no
// name.
std::string FileErrorMessage(platform::FileError cause, const std::string& fileName, DocumentOperation operation);
// The archive error's own message, for reports outside opening and saving.
std::string ArchiveErrorOwnMessage(CArchiveException::Cause cause, const std::string& fileName);
// Message for whatever an open or save path caught (archive, file or other exception).
std::string MessageForException(std::exception_ptr error, DocumentOperation operation);

// True for the causes that mean the stream's content, not the file, is at fault.
bool IsFormatError(CArchiveException::Cause cause);
