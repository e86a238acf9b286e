#include "imaging/Dib.h"
#include "imaging/DibJpeg.h"
#include "imaging/FileEndings.h"
#include "imaging/ImageFiles.h"
#include "platform/Cursor.h"
#include "platform/MessageBox.h"

namespace {

const char* const kEditorFilter =
    "Image files|*.BMP;*.JPG;*.PCX;*.PNG;*.TIF|JPEG files (*.JPG)|*.JPG|BMP files (*.BMP)|*.BMP|"
    "PCX files (*.PCX)|*.PCX|PNG files (*.PNG)|*.PNG|TIFF files (*.TIF)|*.TIF|All the files (*.*)|*.*||;";
const char* const kPlayerFilter =
    "Archivos de imagen|*.BMP;*.JPG;*.PCX;*.PNG;*.TIF|Archivos JPEG (*.JPG)|*.JPG|Archivos BMP (*.BMP)|*.BMP|"
    "Archivos PCX (*.PCX)|*.PCX|Archivos PNG (*.PNG)|*.PNG|Archivos TIFF (*.TIF)|*.TIF|"
    "Todos los archivos (*.*)|*.*||;";

// Reads a JFIF file without the codec's own message boxes: loading by extension reports its failure
// with one message of its own.
bool ReadJpegImage(platform::File& file, CDIB& result) {
    CDibJpeg jpeg;
    jpeg.SetQuiet(true);
    return jpeg.Read(file) && result.CopyPacked(jpeg.GetHeader(), jpeg.GetBits());
}

// Reads the file with the codec its extension names into a packed 24-bit image.
bool DecodeByExtension(const std::string& extension, platform::File& file, CDIB& result) {
    if (extension == ".JPG") return ReadJpegImage(file, result);
    if (extension == ".BMP") return ReadBmpImage(file, result);
    if (extension == ".PCX") return ReadPcxImage(file, result);
    if (extension == ".PNG") return ReadPngImage(file, result);
    if (extension == ".TIF") return ReadTiffImage(file, result);
    return false;
}

}  // namespace

const char* CDIB::ImageFileFilter(DialogWording wording) {
    return wording == DialogWording::editor ? kEditorFilter : kPlayerFilter;
}

bool CDIB::LoadByExtension(const std::optional<std::string>& path, DialogWording wording) {
    platform::FileDialogRequest request = OpenDialog("", "jpg");
    request.filter = ImageFileFilter(wording);
    std::optional<std::string> chosen = AskPath(path.value_or(""), request);
    if (!chosen) return false;
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
