#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "imaging/Dib.h"
#include "imaging/DibJpeg.h"
#include "imaging/DibPcx.h"
#include "imaging/FileEndings.h"
#include "imaging/ImageFiles.h"
#include "platform/MessageBox.h"
#include "tools/Fcatool.h"

namespace fcatool {

namespace {

bool KnownOutput(const std::string& extension) {
    return extension == ".BMP" || extension == ".PCX" || extension == ".JPG" || extension == ".PNG";
}

// Writes the image in the format the extension names, with the system's own writers.
bool WriteByExtension(const CDIB& image, const std::string& extension, platform::File& file) {
    if (extension == ".PNG") return WritePngImage(image, file);
    if (extension == ".PCX") {
        CDibPcx pcx;
        pcx.CopyPacked(image.GetHeader(), image.GetBits());
        return pcx.Write(file);
    }
    if (extension == ".JPG") {
        CDibJpeg jpeg;
        jpeg.CopyPacked(image.GetHeader(), image.GetBits());
        return jpeg.Write(file);
    }
    CDIB bmp(image);
    return bmp.CDIB::Write(file);
}

// Writes into a scratch file beside `out` and renames it over `out` only when everything went well,
// so that a failure leaves no partial output behind.
bool WriteReplacing(const CDIB& image, const std::string& out) {
    const std::string scratch = out + ".fcatool-tmp";
    platform::DiskFile file;
    if (file.Open(scratch, platform::DiskFile::Mode::write) != platform::FileError::none) {
        platform::ShowMessage("Failed to open file");
        return false;
    }
    bool written = WriteByExtension(image, ExtensionOf(out), file);
    file.Close();
    std::error_code error;
    if (written) std::filesystem::rename(scratch, out, error);
    if (!written || error) {
        std::filesystem::remove(scratch, error);
        platform::ShowMessage("Failed to save file");
        return false;
    }
    return true;
}

}  // namespace

int RunConvert(const Arguments& args) {
    if (args.size() != 2) return UsageError("convert", "expected IN and OUT");
    if (!KnownOutput(ExtensionOf(args[1])))
        return UsageError("convert", "OUT must end in .BMP, .PCX, .JPG or .PNG");
    CDIB image;
    if (!image.LoadByExtension(args[0])) return kFailure;
    return WriteReplacing(image, args[1]) ? kSuccess : kFailure;
}

}  // namespace fcatool
