#include "render/jpeg_decoder.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include "render/graphics_error.h"
#include "render/pixel_rows.h"

#include <jerror.h>
#include <jpeglib.h>

namespace kelmar {
namespace {

// libjpeg reports a fatal error through error_exit, which must not return.
// We jump back to the setjmp in DecodeRaw; no C++ exception ever crosses
// libjpeg's C frames.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int code;
};

constexpr long kMaxDecoderMemory = 64L * 1024 * 1024; // bytes; beyond that it is an error
constexpr int kMaxScans = 1000; // a progressive file with more scans is refused

void OnError(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    manager->code = manager->pub.msg_code;
    std::longjmp(manager->jump, 1);
}

void OnMessage(j_common_ptr, int) {} // warnings and traces are not errors
void OnOutput(j_common_ptr) {}

// Stops files that would keep the decoder busy for minutes with thousands of
// tiny progressive scans.
void OnProgress(j_common_ptr cinfo) {
    if (cinfo->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
        cinfo->err->msg_code = JERR_BAD_PROGRESSION;
        OnError(cinfo);
    }
}

struct DecodedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0x??RRGGBB, width * height
};

using SourceSetup = void (*)(j_decompress_ptr, void*);

// Decodes the top-left maxWidth x maxHeight pixels into `out` (allocated by
// the caller's scope, so longjmp skips no destructor). Returns 0 or the
// libjpeg message code of the failure.
int DecodeRaw(SourceSetup setup, void* source, int maxWidth, int maxHeight, DecodedPicture& out) {
    jpeg_decompress_struct cinfo;
    ErrorManager errors;
    jpeg_progress_mgr progress;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = OnError;
    errors.pub.emit_message = OnMessage;
    errors.pub.output_message = OnOutput;
    errors.code = 0;
    progress.progress_monitor = OnProgress;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return errors.code != 0 ? errors.code : -1;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
    cinfo.progress = &progress;
    setup(&cinfo, source);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    const int width = std::min(static_cast<int>(cinfo.output_width), std::max(maxWidth, 0));
    const int height = std::min(static_cast<int>(cinfo.output_height), std::max(maxHeight, 0));
    out.width = width;
    out.height = height;
    out.pixels.assign(static_cast<std::size_t>(width) * height, 0);
    JSAMPARRAY line = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                 JPOOL_IMAGE, cinfo.output_width * 4, 1);
    while (static_cast<int>(cinfo.output_scanline) < height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        if (jpeg_read_scanlines(&cinfo, line, 1) != 1) {
            break;
        }
        std::memcpy(out.pixels.data() + static_cast<std::size_t>(y) * width, line[0],
                    static_cast<std::size_t>(width) * 4);
    }
    // Rows below the visible part are never decoded; destroying mid-image is
    // allowed and frees everything.
    jpeg_destroy_decompress(&cinfo);
    return 0;
}

struct MemorySource {
    const unsigned char* data;
    unsigned long size;
};

void SetupFile(j_decompress_ptr cinfo, void* file) {
    jpeg_stdio_src(cinfo, static_cast<FILE*>(file));
}

void SetupMemory(j_decompress_ptr cinfo, void* source) {
    const auto* memory = static_cast<const MemorySource*>(source);
    jpeg_mem_src(cinfo, memory->data, memory->size);
}

Bitmap ToBitmap(const DecodedPicture& picture, PixelFormatSetting format) {
    Bitmap bitmap(picture.width, picture.height, format);
    for (int y = 0; y < picture.height; ++y) {
        EncodeRow(bitmap.format(),
                  picture.pixels.data() + static_cast<std::size_t>(y) * picture.width, 0,
                  picture.width, bitmap.row(y));
    }
    return bitmap;
}

Bitmap Decode(SourceSetup setup, void* source, PixelFormatSetting format, int maxWidth,
              int maxHeight) {
    DecodedPicture picture;
    const int code = DecodeRaw(setup, source, std::min(maxWidth, kMaxBitmapSide),
                               std::min(maxHeight, kMaxBitmapSide), picture);
    if (code != 0) {
        throw JpegError(code);
    }
    return ToBitmap(picture, format);
}

} // namespace

Bitmap DecodeJpegFile(const QString& path, PixelFormatSetting format, int maxWidth, int maxHeight) {
    if (!QFileInfo(path).isFile()) {
        throw CannotOpenFileError(path.toStdString());
    }
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (file == nullptr) {
        throw CannotOpenFileError(path.toStdString());
    }
    try {
        Bitmap bitmap = Decode(SetupFile, file, format, maxWidth, maxHeight);
        std::fclose(file);
        return bitmap;
    } catch (...) {
        std::fclose(file);
        throw;
    }
}

Bitmap DecodeJpegBytes(const unsigned char* data, unsigned long size, PixelFormatSetting format,
                       int maxWidth, int maxHeight) {
    MemorySource source{data, size};
    return Decode(SetupMemory, &source, format, maxWidth, maxHeight);
}

} // namespace kelmar
