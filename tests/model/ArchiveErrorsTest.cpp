#include <gtest/gtest.h>

#include <exception>
#include <string>

#include "archive/Archive.h"
#include "model/ArchiveErrors.h"

namespace {

TEST(ArchiveErrors, MessagesForArchiveAndFileErrors) {
    using platform::FileError;
    EXPECT_EQ(ArchiveErrorMessage(CArchiveException::generic, DocumentOperation::open),
              "Imposible abrir documento.");
    EXPECT_EQ(ArchiveErrorOwnMessage(CArchiveException::badSchema, "A.FCA"),
              "A.FCA contiene un esquema incorrecto.");
    EXPECT_EQ(ArchiveErrorOwnMessage(CArchiveException::badIndex, "A.FCA"),
              "A.FCA tiene un formato incorrecto.");
    EXPECT_EQ(MessageForException(
                  std::make_exception_ptr(platform::FileException(FileError::fileNotFound, "A.FCA")),
                  DocumentOperation::open),
              "No se encontró A.FCA.");
    EXPECT_EQ(MessageForException(std::make_exception_ptr(platform::FileException(FileError::diskFull, "")),
                                  DocumentOperation::save),
              "La unidad de disco de destino está llena.");
}

// A save writes a scratch file first: its errors name the document the user saves, and an error without
// a file name is reported with the texts that name the document.
TEST(ArchiveErrors, FileErrorsNameTheDocumentWhenItIsGiven) {
    using platform::FileError;
    auto error = [](FileError cause, const char* path) {
        return std::make_exception_ptr(platform::FileException(cause, path));
    };
    EXPECT_EQ(MessageForException(error(FileError::diskFull, "/t/~TITULO.tmp"), DocumentOperation::save,
                                  "/t/TITULO.FCA"),
              "Disco lleno al acceder a /t/TITULO.FCA.");
    EXPECT_EQ(MessageForException(error(FileError::diskFull, "/t/~TITULO.tmp"), DocumentOperation::save),
              "Disco lleno al acceder a /t/~TITULO.tmp.");
    EXPECT_EQ(MessageForException(error(FileError::fileNotFound, ""), DocumentOperation::open, "A.FCA"),
              "A.FCA\nImposible encontrar este archivo.\nCompruebe que la ruta y el nombre de archivo son "
              "correctos");
    EXPECT_EQ(MessageForException(error(FileError::accessDenied, ""), DocumentOperation::save, "A.FCA"),
              "Imposible escribir en A.FCA, es de sólo lectura o alguien más lo ha abierto.");
    EXPECT_EQ(MessageForException(error(FileError::hardIO, ""), DocumentOperation::open, "A.FCA"),
              "Imposible abrir documento.");
    EXPECT_EQ(
        MessageForException(std::make_exception_ptr(CArchiveException(CArchiveException::badClass, "x")),
                            DocumentOperation::open, "A.FCA"),
        "Formato de archivo no esperado.");
}

TEST(ArchiveErrors, EveryFormatFaultIsAnUnexpectedFormat) {
    for (auto cause : {CArchiveException::endOfFile, CArchiveException::badIndex, CArchiveException::badClass,
                       CArchiveException::badSchema})
        EXPECT_EQ(ArchiveErrorMessage(cause, DocumentOperation::open), "Formato de archivo no esperado.");
    EXPECT_EQ(ArchiveErrorMessage(CArchiveException::generic, DocumentOperation::save),
              "Imposible guardar documento.");
}

}  // namespace
