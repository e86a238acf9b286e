#include "model/ArchiveErrors.h"

namespace {
std::string Format(const char* pattern, const std::string& arg) {
    std::string s = pattern;
    auto pos = s.find("%1");
    if (pos != std::string::npos) s.replace(pos, 2, arg);
    return s;
}

const char* GenericFailure(DocumentOperation operation) {
    return operation == DocumentOperation::open ? "Imposible abrir documento."
                                                : "Imposible guardar documento.";
}

// The framework's own texts, used when the file error has no name to format its message with.
std::string FallbackFileErrorMessage(platform::FileError cause, const std::string& fileName,
                                     DocumentOperation operation) {
    using platform::FileError;
    switch (cause) {
        case FileError::fileNotFound:
        case FileError::badPath:
            return Format(
                "%1\nImposible encontrar este archivo.\nCompruebe que la ruta y el nombre de archivo son "
                "correctos",
                fileName);
        case FileError::accessDenied:
            return operation == DocumentOperation::open
                       ? Format("Imposible leer de %1, alguien más lo ha abierto.", fileName)
                       : Format("Imposible escribir en %1, es de sólo lectura o alguien más lo ha abierto.",
                                fileName);
        case FileError::diskFull:
            return "La unidad de disco de destino está llena.";
        default:
            return GenericFailure(operation);
    }
}
}  // namespace

std::string ArchiveErrorMessage(CArchiveException::Cause cause, DocumentOperation operation) {
    if (CArchiveException::IsFormatError(cause)) return "Formato de archivo no esperado.";
    return GenericFailure(operation);
}

std::string FileErrorMessage(platform::FileError cause, const std::string& fileName,
                             DocumentOperation operation) {
    using platform::FileError;
    if (fileName.empty()) return FallbackFileErrorMessage(cause, fileName, operation);
    switch (cause) {
        case FileError::fileNotFound:
            return Format("No se encontró %1.", fileName);
        case FileError::badPath:
            return Format("%1 contiene una ruta no válida.", fileName);
        case FileError::tooManyOpenFiles:
            return Format("Imposible abrir %1, hay demasiados archivos abiertos.", fileName);
        case FileError::accessDenied:
            return Format("Acceso denegado a %1.", fileName);
        case FileError::invalidFile:
            return Format("Controlador no válido asociado a %1.", fileName);
        case FileError::directoryFull:
            return Format("Imposible crear %1 porque el directorio está lleno.", fileName);
        case FileError::badSeek:
            return Format("Fin de búsqueda en %1 ", fileName);
        case FileError::hardIO:
            return Format("Error de E/S de hardware al acceder a %1.", fileName);
        case FileError::sharingViolation:
            return Format("Violación de acceso compartido al acceder a %1.", fileName);
        case FileError::lockViolation:
            return Format("Violación de bloqueo al acceder %1. ", fileName);
        case FileError::diskFull:
            return Format("Disco lleno al acceder a %1.", fileName);
        case FileError::endOfFile:
            return Format("Se intentó acceder a %1 más allá del final.", fileName);
        default:
            return Format("Error desconocido al acceder a %1.", fileName);
    }
}

std::string ArchiveErrorOwnMessage(CArchiveException::Cause cause, const std::string& fileName) {
    switch (cause) {
        case CArchiveException::endOfFile:
            return Format("Se intentó acceder a %1 más allá del final.", fileName);
        case CArchiveException::badIndex:
            return Format("%1 tiene un formato incorrecto.", fileName);
        case CArchiveException::badClass:
            return Format("%1 contiene un objeto inesperado.", fileName);
        case CArchiveException::badSchema:
            return Format("%1 contiene un esquema incorrecto.", fileName);
        default:
            return Format("Error desconocido al acceder a %1.", fileName);
    }
}

std::string MessageForException(std::exception_ptr error, DocumentOperation operation,
                                const std::string& documentPath) {
    try {
        std::rethrow_exception(error);
    } catch (const CArchiveException& e) {
        return ArchiveErrorMessage(e.cause, operation);
    } catch (const platform::FileException& e) {
        // Without a name of its own the error gets the framework's texts, which name the document.
        if (e.path.empty()) return FallbackFileErrorMessage(e.cause, documentPath, operation);
        return FileErrorMessage(e.cause, documentPath.empty() ? e.path : documentPath, operation);
    } catch (...) {
        return GenericFailure(operation);
    }
}
