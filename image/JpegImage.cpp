#include "image/JpegImage.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return.
// It jumps back to the function that started the work; that function holds
// only plain C data, so no C++ destructor is skipped, and the exception is
// thrown from ordinary C++ code afterwards.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

// A warning about corrupt data (level -1) would otherwise leave a grey band in
// the picture; it counts as an error. Trace messages are dropped.
void EmitMessage(j_common_ptr cinfo, int level) {
    if (level < 0)
        ErrorExit(cinfo);
}

ErrorManager* InitErrors(ErrorManager* manager) {
    jpeg_std_error(&manager->pub);
    manager->pub.error_exit = ErrorExit;
    manager->pub.emit_message = EmitMessage;
    manager->message[0] = '\0';
    return manager;
}

// Pictures beyond this many pixels are refused rather than allocated.
constexpr unsigned long long kMaxPixels = 64ull * 1024 * 1024;

bool DecodeInto(const unsigned char* data, unsigned long size, QImage* image, char* message) {
    ErrorManager errors;
    jpeg_decompress_struct cinfo;
    cinfo.err = &InitErrors(&errors)->pub;
    if (setjmp(errors.jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    if (static_cast<unsigned long long>(cinfo.output_width) * cinfo.output_height > kMaxPixels ||
        cinfo.output_components != 3) {
        std::snprintf(message, JMSG_LENGTH_MAX, "Unsupported JPEG picture");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    *image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                    QImage::Format_RGB888);
    if (image->isNull()) {
        std::snprintf(message, JMSG_LENGTH_MAX, "Not enough memory for the JPEG picture");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool EncodeInto(const QImage* image, int quality, int pixelsPerInch, unsigned char** output,
                unsigned long* outputSize, char* message) {
    ErrorManager errors;
    jpeg_compress_struct cinfo;
    cinfo.err = &InitErrors(&errors)->pub;
    if (setjmp(errors.jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, output, outputSize);
    cinfo.image_width = static_cast<JDIMENSION>(image->width());
    cinfo.image_height = static_cast<JDIMENSION>(image->height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.density_unit = 1; // dots per inch
    cinfo.X_density = static_cast<UINT16>(pixelsPerInch);
    cinfo.Y_density = static_cast<UINT16>(pixelsPerInch);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg's row type is not const, though it only reads the rows.
        auto* row =
            const_cast<JSAMPLE*>(image->constScanLine(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray& data) {
    QImage image;
    char message[JMSG_LENGTH_MAX] = {};
    if (!DecodeInto(reinterpret_cast<const unsigned char*>(data.constData()),
                    static_cast<unsigned long>(data.size()), &image, message))
        throw JpegError(std::string("Cannot decode the JPEG picture: ") + message);
    return image;
}

QByteArray EncodeJpeg(const QImage& image, int quality, int pixelsPerInch) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    char message[JMSG_LENGTH_MAX] = {};
    const bool encoded = EncodeInto(&rgb, quality, pixelsPerInch, &output, &outputSize, message);
    QByteArray bytes;
    if (encoded)
        bytes =
            QByteArray(reinterpret_cast<const char*>(output), static_cast<qsizetype>(outputSize));
    std::free(output); // allocated by jpeg_mem_dest
    if (!encoded)
        throw JpegError(std::string("Cannot encode the JPEG picture: ") + message);
    return bytes;
}
