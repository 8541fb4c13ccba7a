#include "render/jpeg_decoder.h"

#include "render/graphics_error.h"
#include "render/picture_file.h"
#include "render/pixel_rows.h"

#include <QFile>
#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs size_t and FILE declared first
#include <cstring>
#include <jerror.h>
#include <jpeglib.h>
#include <vector>

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
constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024; // read at most this much of a file

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

// Where DecodeRaw puts the decoded rows. Called from inside libjpeg's setjmp
// scope: implementations must not throw after `begin`.
class RowTarget {
public:
    virtual ~RowTarget() = default;
    // The visible size, before the first row. May throw (allocation).
    virtual void begin(int width, int height) = 0;
    // Row y, 0x??RRGGBB pixels, `width` of them.
    virtual void row(int y, const uint32_t* pixels) = 0;
};

// Decodes the top-left maxWidth x maxHeight pixels of the JPEG in memory
// into `target`. Returns 0 or the libjpeg message code of the failure.
int DecodeRaw(const unsigned char* data, unsigned long size, int maxWidth, int maxHeight,
              RowTarget& target) {
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
    // The memory source supplies a fake end marker past the last byte, so a
    // truncated file ends in a warning, not in a read for every missing block.
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    const int width = std::min(static_cast<int>(cinfo.output_width), std::max(maxWidth, 0));
    const int height = std::min(static_cast<int>(cinfo.output_height), std::max(maxHeight, 0));
    target.begin(width, height);
    JSAMPARRAY line = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                 JPOOL_IMAGE, cinfo.output_width * 4, 1);
    // BGRX bytes read as little-endian words.
    auto* pixels = static_cast<uint32_t*>(
        (*cinfo.mem->alloc_small)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                  static_cast<std::size_t>(std::max(width, 1)) * sizeof(uint32_t)));
    while (static_cast<int>(cinfo.output_scanline) < height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        if (jpeg_read_scanlines(&cinfo, line, 1) != 1) {
            break;
        }
        std::memcpy(pixels, line[0], static_cast<std::size_t>(width) * 4);
        target.row(y, pixels);
    }
    // Rows below the visible part are never decoded; destroying mid-image is
    // allowed and frees everything.
    jpeg_destroy_decompress(&cinfo);
    return 0;
}

// Rows into the top-left corner of a bitmap.
class BitmapRows final : public RowTarget {
public:
    explicit BitmapRows(Bitmap& bitmap) : bitmap_(bitmap) {}
    void begin(int width, int) override { width_ = width; }
    void row(int y, const uint32_t* pixels) override {
        EncodeRow(bitmap_.format(), pixels, 0, width_, bitmap_.row(y));
    }

private:
    Bitmap& bitmap_;
    int width_ = 0;
};

// A new bitmap of the decoded size.
class NewBitmapRows final : public RowTarget {
public:
    explicit NewBitmapRows(PixelFormatSetting format) : format_(format) {}
    void begin(int width, int height) override { bitmap = Bitmap(width, height, format_); }
    void row(int y, const uint32_t* pixels) override {
        EncodeRow(bitmap.format(), pixels, 0, bitmap.width(), bitmap.row(y));
    }
    Bitmap bitmap;

private:
    PixelFormatSetting format_;
};

// Rows filtered to `to`/`from` of the decoded size as they arrive, into the
// top-left corner of a bitmap: bilinear, sampling at pixel centres, edges
// repeated. Holds two filtered rows, never the decoded picture. Output row
// oy reads source rows y0 and y0 + 1 (the last row at the bottom edge), and
// is written as soon as the later of them has arrived.
class ScaledRows final : public RowTarget {
public:
    ScaledRows(Bitmap& bitmap, int from, int to) : bitmap_(bitmap), from_(from), to_(to) {}

    void begin(int width, int height) override {
        sourceHeight_ = height;
        const auto scaled = [this](int length) {
            return static_cast<int>(
                std::max<int64_t>(1, int64_t{length} * to_ / std::max(from_, 1)));
        };
        const int scaledWidth = scaled(width);
        scaledHeight_ = scaled(height);
        width_ = std::min(scaledWidth, bitmap_.width());
        height_ = std::min(scaledHeight_, bitmap_.height());
        columns_.resize(static_cast<std::size_t>(std::max(width_, 0)));
        for (int x = 0; x < width_; ++x) {
            columns_[x] = Sample(x, width, scaledWidth);
        }
        previous_.assign(columns_.size() * 4, 0);
        current_.assign(columns_.size() * 4, 0);
        out_.assign(columns_.size(), 0);
    }

    void row(int y, const uint32_t* pixels) override {
        std::swap(previous_, current_);
        for (int x = 0; x < width_; ++x) {
            const Weight& c = columns_[x];
            for (int channel = 0; channel < 4; ++channel) {
                const int shift = channel * 8;
                const int a = static_cast<int>((pixels[c.first] >> shift) & 0xFF);
                const int b = static_cast<int>((pixels[c.second] >> shift) & 0xFF);
                current_[x * 4 + channel] = a * (kOne - c.weight) + b * c.weight;
            }
        }
        decoded_ = y + 1;
        emitReady();
    }

    // Rows the decoder never delivered (a file that ends early) repeat the
    // last one that came.
    void finish() {
        if (decoded_ == 0) {
            return;
        }
        while (next_ < height_) {
            write(current_, current_, 0);
        }
    }

private:
    static constexpr int kOne = 256; // weights are in 1/256

    struct Weight {
        int first;
        int second;
        int weight; // of `second`, 0..kOne
    };

    // Where output pixel `index` of `scaled` ones samples `length` source
    // pixels.
    static Weight Sample(int index, int length, int scaled) {
        const double at = std::max(0.0, (index + 0.5) * length / scaled - 0.5);
        const int first = std::min(static_cast<int>(at), length - 1);
        const int second = std::min(first + 1, length - 1);
        return {first, second, static_cast<int>((at - first) * kOne + 0.5)};
    }

    void emitReady() {
        while (next_ < height_) {
            const Weight w = Sample(next_, sourceHeight_, scaledHeight_);
            if (w.second >= decoded_) {
                return;
            }
            // second is the row just decoded; first is it or the one before.
            write(w.first == w.second ? current_ : previous_, current_, w.weight);
        }
    }

    void write(const std::vector<int>& upper, const std::vector<int>& lower, int weight) {
        for (int x = 0; x < width_; ++x) {
            uint32_t pixel = 0;
            for (int channel = 0; channel < 4; ++channel) {
                const int i = x * 4 + channel;
                const int value =
                    (upper[i] * (kOne - weight) + lower[i] * weight + kOne * kOne / 2) /
                    (kOne * kOne);
                pixel |= static_cast<uint32_t>(value) << (channel * 8);
            }
            out_[x] = pixel;
        }
        EncodeRow(bitmap_.format(), out_.data(), 0, width_, bitmap_.row(next_));
        ++next_;
    }

    Bitmap& bitmap_;
    int from_;
    int to_;
    int sourceHeight_ = 0;
    int scaledHeight_ = 0;
    int width_ = 0;
    int height_ = 0;
    int decoded_ = 0; // source rows delivered
    int next_ = 0;    // the next output row
    std::vector<Weight> columns_;
    std::vector<int> previous_; // filtered across, 4 channels a pixel, x kOne
    std::vector<int> current_;
    std::vector<uint32_t> out_;
};

// Rows decoded and dropped: proves that a file decodes without error.
class NoRows final : public RowTarget {
public:
    void begin(int, int) override {}
    void row(int, const uint32_t*) override {}
};

QByteArray ReadJpegFile(const QString& path) {
    QFile file(path);
    if (!OpenRegularFile(file)) {
        throw CannotOpenFileError(path.toStdString());
    }
    // Bytes past the cap are treated like a truncated file. (QIODevice::read
    // reserves its whole limit first, so ask only for what is there.)
    return file.read(std::min(file.size(), kMaxFileBytes));
}

void Decode(const QByteArray& bytes, int maxWidth, int maxHeight, RowTarget& target) {
    const int code =
        DecodeRaw(reinterpret_cast<const unsigned char*>(bytes.constData()),
                  static_cast<unsigned long>(bytes.size()), std::min(maxWidth, kMaxBitmapSide),
                  std::min(maxHeight, kMaxBitmapSide), target);
    if (code != 0) {
        throw JpegError(code);
    }
}

} // namespace

void DecodeJpegFileInto(const QString& path, Bitmap& target) {
    const QByteArray bytes = ReadJpegFile(path);
    // Decoding is deterministic: once the bytes decode without error, the
    // second pass does too, so the target is never left half written. Two
    // passes cost a few milliseconds; a decoded copy would cost a whole
    // picture of memory.
    NoRows proof;
    Decode(bytes, target.width(), target.height(), proof);
    BitmapRows rows(target);
    Decode(bytes, target.width(), target.height(), rows);
}

void DecodeJpegFileScaledInto(const QString& path, Bitmap& target, int from, int to) {
    const QByteArray bytes = ReadJpegFile(path);
    NoRows proof;
    Decode(bytes, kMaxBitmapSide, kMaxBitmapSide, proof);
    ScaledRows rows(target, from, to);
    Decode(bytes, kMaxBitmapSide, kMaxBitmapSide, rows);
    rows.finish();
}

Bitmap DecodeJpegBytes(const unsigned char* data, unsigned long size, PixelFormatSetting format,
                       int maxWidth, int maxHeight) {
    NewBitmapRows rows(format);
    Decode(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
        maxWidth, maxHeight, rows);
    return std::move(rows.bitmap);
}

} // namespace kelmar
