#include <memory>

#include "imaging/Dib.h"
#include "imaging/DibJpeg.h"
#include "imaging/DibPcx.h"
#include "imaging/ImageFiles.h"
#include "platform/Cursor.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/Program.h"

namespace {

const char* const kEditorFilter =
    "Image files|*.BMP;*.JPG;*.PCX;*.PNG;*.TIF|JPEG files (*.JPG)|*.JPG|BMP files (*.BMP)|*.BMP|"
    "PCX files (*.PCX)|*.PCX|PNG files (*.PNG)|*.PNG|TIFF files (*.TIF)|*.TIF|All the files (*.*)|*.*||;";
const char* const kPlayerFilter =
    "Archivos de imagen|*.BMP;*.JPG;*.PCX;*.PNG;*.TIF|Archivos JPEG (*.JPG)|*.JPG|Archivos BMP (*.BMP)|*.BMP|"
    "Archivos PCX (*.PCX)|*.PCX|Archivos PNG (*.PNG)|*.PNG|Archivos TIFF (*.TIF)|*.TIF|"
    "Todos los archivos (*.*)|*.*||;";

// Reads the file with the codec its extension names into a packed 24-bit image.
bool DecodeByExtension(const std::string& extension, platform::File& file, CDIB& result) {
    std::unique_ptr<CDIB> decoded;
    if (extension == ".JPG") {
        auto jpeg = std::make_unique<CDibJpeg>();
        jpeg->SetQuiet(true);
        if (!jpeg->Read(file)) return false;
        decoded = std::move(jpeg);
    } else if (extension == ".BMP") {
        return ReadBmpImage(file, result);
    } else if (extension == ".PCX") {
        decoded = std::make_unique<CDibPcx>();
        if (!decoded->Read(file) || !decoded->ConvertTo24()) return false;
    } else if (extension == ".PNG") {
        return ReadPngImage(file, result);
    } else if (extension == ".TIF") {
        return ReadTiffImage(file, result);
    } else {
        return false;
    }
    BITMAPINFOHEADER header = *decoded->GetHeader();
    header.biClrUsed = 0;
    return result.CopyPacked(&header, decoded->GetBits());
}

}  // namespace

bool CDIB::LoadByExtension(const std::optional<std::string>& path) {
    std::optional<std::string> chosen = path;
    if (!chosen || chosen->empty()) {
        platform::FileDialogRequest request;
        request.filter = platform::IsEditor() ? kEditorFilter : kPlayerFilter;
        request.defaultExtension = "jpg";
        request.fileMustExist = true;
        chosen = platform::FileDialogs().Ask(request);
        if (!chosen) return false;
    }
    bool loaded = false;
    {
        // Large pictures take a while to decode; the hourglass goes away again before any message.
        platform::WaitCursor wait;
        platform::DiskFile file;
        if (file.Open(*chosen, platform::DiskFile::Mode::read) == platform::FileError::none) {
            // Decoding goes into a scratch image, so that a failure leaves this one as it was.
            CDIB scratch;
            loaded = DecodeByExtension(ExtensionOf(*chosen), file, scratch) &&
                     CopyPacked(scratch.GetHeader(), scratch.GetBits());
        }
    }
    if (!loaded) platform::ShowMessage("Error al cargar Imagen");
    return loaded;
}
