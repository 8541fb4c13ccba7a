#include "render/scaled_pictures.h"

#include "core/game.h"
#include "core/zoom.h"

#include <QPainter>
#include <algorithm>
#include <atomic>
#include <climits>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif
#include <cstdint>
#include <cstring>
#include <vector>

namespace kelmar {
namespace {

constexpr int kSheetColumns = 9;
constexpr int kSheetRows = 5;

int ScaledSide(int side, int from, int to) {
    return std::max(1, static_cast<int>(int64_t{side} * to / std::max(1, from)));
}

QImage Rgb32(const QImage& image) {
    return image.format() == QImage::Format_RGB32 ? image
                                                  : image.convertToFormat(QImage::Format_RGB32);
}

// The smoothing filter for pictures made smaller: each target pixel is the
// mean of the source pixels its area covers, weighted by how much of each
// it covers. Weights are in 1/16384 and summed with the rounding of Qt's
// smooth scaling, so that a picture comes out as QImage::scaled with
// Qt::SmoothTransformation makes it, bit for bit (the tests compare the
// two), but the weights are worked out once per picture instead of once per
// face, and the filter runs across, then down, on reused buffers.
//
// One axis of the filter: `from` source pixels to `to` target pixels, to <
// from. Every target pixel reads `width` taps, target pixel i those from
// i * width on; a pixel that needs fewer has taps of weight 0 at the end
// (so that the loops over the taps always run the same number of times).
struct Reduction {
    struct Tap {
        int32_t source; // source pixel, 0 .. from - 1
        uint32_t weight;
    };
    int32_t count = 0; // target pixels
    int32_t width = 0;
    std::vector<Tap> taps;
    const Tap* of(std::size_t i) const { return taps.data() + i * static_cast<std::size_t>(width); }
};

constexpr uint32_t kWholeWeight = 1u << 14;

std::atomic<bool> gVectorFilterAllowed{true};

// One pixel's sums of a source row, aligned for SSE loads.
struct alignas(16) RowSum {
    uint32_t lanes[4];
};

// The weights of `count` target pixels from `first` on, of a reduction of
// `from` pixels to `to` (to < from). Source pixels beyond `from` are read as
// its last one (they can come only with weight 0); `wrap` > 0 reads source
// pixel p as p mod wrap instead.
Reduction MakeReduction(int32_t from, int32_t to, int32_t first, int32_t count, int32_t wrap) {
    const int64_t step = (int64_t{from} << 16) / to;
    // One whole source pixel, rounded up.
    const auto whole = static_cast<uint32_t>(((int64_t{to} << 14) + from - 1) / from);
    std::vector<std::vector<Reduction::Tap>> pixels(static_cast<std::size_t>(count));
    Reduction reduction;
    reduction.count = count;
    for (int32_t i = 0; i < count; ++i) {
        std::vector<Reduction::Tap>& taps = pixels[static_cast<std::size_t>(i)];
        const int64_t at = (first + i) * step;
        auto source = static_cast<int32_t>(at >> 16);
        const auto add = [&](uint32_t weight) {
            const int32_t read = wrap > 0 ? source % wrap : std::min(source, from - 1);
            taps.push_back({read, weight});
            ++source;
        };
        const auto firstWeight = static_cast<uint32_t>(((0x10000 - (at & 0xFFFF)) * whole) >> 16);
        add(firstWeight);
        uint32_t left = kWholeWeight - firstWeight;
        for (; left > whole; left -= whole) {
            add(whole);
        }
        add(left);
        reduction.width = std::max(reduction.width, static_cast<int32_t>(taps.size()));
    }
    for (std::vector<Reduction::Tap>& taps : pixels) {
        taps.resize(static_cast<std::size_t>(reduction.width), {taps.back().source, 0});
        reduction.taps.insert(reduction.taps.end(), taps.begin(), taps.end());
    }
    return reduction;
}

// Reduce's two passes, pixel by pixel: across, the sums of each source row
// read from `top` to `bottom`, in 1/1024 (the rounding of Qt's filter),
// four lanes (blue, green, red, X) a pixel, into `rowSums`; down, those sums
// into the target.
void ReduceRows(const QRgb* source, std::ptrdiff_t sourceStride, const Reduction& across,
                const Reduction& down, QRgb* target, std::ptrdiff_t targetStride, uint32_t* rowSums,
                int32_t top, int32_t bottom) {
    const auto width = static_cast<std::size_t>(across.count);
    const auto height = static_cast<std::size_t>(down.count);
    for (int32_t y = top; y <= bottom; ++y) {
        const QRgb* in = source + y * sourceStride;
        uint32_t* sums = rowSums + static_cast<std::size_t>(y - top) * width * 4;
        for (std::size_t x = 0; x < width; ++x) {
            uint32_t sum[4] = {0, 0, 0, 0};
            const Reduction::Tap* taps = across.of(x);
            for (int32_t t = 0; t < across.width; ++t) {
                const Reduction::Tap tap = taps[t];
                const QRgb pixel = in[tap.source];
                for (int lane = 0; lane < 4; ++lane) {
                    sum[lane] += ((pixel >> (8 * lane)) & 0xFF) * tap.weight;
                }
            }
            for (int lane = 0; lane < 4; ++lane) {
                sums[4 * x + lane] = sum[lane] >> 4;
            }
        }
    }
    for (std::size_t y = 0; y < height; ++y) {
        QRgb* out = target + static_cast<std::ptrdiff_t>(y) * targetStride;
        for (std::size_t x = 0; x < width; ++x) {
            uint32_t sum[4] = {0, 0, 0, 0};
            const Reduction::Tap* taps = down.of(y);
            for (int32_t t = 0; t < down.width; ++t) {
                const Reduction::Tap tap = taps[t];
                const uint32_t* sums =
                    rowSums + (static_cast<std::size_t>(tap.source - top) * width + x) * 4;
                for (int lane = 0; lane < 4; ++lane) {
                    sum[lane] += sums[lane] * tap.weight; // modulo 2^32, as Qt's sums
                }
            }
            out[x] = 0xFF000000u | (sum[2] >> 24 << 16) | (sum[1] >> 24 << 8) | (sum[0] >> 24);
        }
    }
}

#if defined(__x86_64__) || defined(__i386__)
// The same with SSE4.1, a pixel's four lanes in one register, tap by tap
// over a whole row (no chain of sums from one tap to the next): about three
// times as fast as Qt's filter. Gives the same bits (the tests compare both
// ways with Qt).
__attribute__((target("sse4.1"))) void
ReduceRowsSse41(const QRgb* source, std::ptrdiff_t sourceStride, const Reduction& across,
                const Reduction& down, QRgb* target, std::ptrdiff_t targetStride, uint32_t* rowSums,
                int32_t top, int32_t bottom) {
    const auto width = static_cast<std::size_t>(across.count);
    const auto height = static_cast<std::size_t>(down.count);
    auto* const sumRows = reinterpret_cast<__m128i*>(rowSums);
    const auto taps = static_cast<std::size_t>(across.width);
    // The taps across by tap, then by target pixel, their weights in all
    // four lanes: read in that order for every source row.
    thread_local std::vector<int32_t> offsets;
    thread_local std::vector<RowSum> weights;
    offsets.resize(taps * width);
    weights.resize(taps * width);
    for (std::size_t t = 0; t < taps; ++t) {
        for (std::size_t x = 0; x < width; ++x) {
            const Reduction::Tap& tap = across.of(x)[t];
            offsets[t * width + x] = tap.source;
            weights[t * width + x] = {{tap.weight, tap.weight, tap.weight, tap.weight}};
        }
    }
    for (int32_t y = top; y <= bottom; ++y) {
        const QRgb* in = source + y * sourceStride;
        __m128i* sums = sumRows + static_cast<std::size_t>(y - top) * width;
        for (std::size_t x = 0; x < width; ++x) {
            sums[x] = _mm_mullo_epi32(
                _mm_cvtepu8_epi32(_mm_cvtsi32_si128(static_cast<int>(in[offsets[x]]))),
                _mm_load_si128(reinterpret_cast<const __m128i*>(&weights[x])));
        }
        for (std::size_t t = 1; t < taps; ++t) {
            const int32_t* offset = offsets.data() + t * width;
            const auto* weight = reinterpret_cast<const __m128i*>(weights.data() + t * width);
            for (std::size_t x = 0; x < width; ++x) {
                sums[x] =
                    _mm_add_epi32(sums[x], _mm_mullo_epi32(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(
                                                               static_cast<int>(in[offset[x]]))),
                                                           _mm_load_si128(weight + x)));
            }
        }
        for (std::size_t x = 0; x < width; ++x) {
            sums[x] = _mm_srli_epi32(sums[x], 4);
        }
    }
    for (std::size_t y = 0; y < height; ++y) {
        QRgb* out = target + static_cast<std::ptrdiff_t>(y) * targetStride;
        const Reduction::Tap* first = down.of(y);
        // The sums of the target row gather in its own pixels until packed.
        auto* const total = reinterpret_cast<__m128i*>(rowSums) +
                            static_cast<std::size_t>(bottom - top + 1) * width;
        for (int32_t t = 0; t < down.width; ++t) {
            const __m128i* sums = sumRows + static_cast<std::size_t>(first[t].source - top) * width;
            const __m128i weight = _mm_set1_epi32(static_cast<int>(first[t].weight));
            // Modulo 2^32, as Qt's sums.
            if (t == 0) {
                for (std::size_t x = 0; x < width; ++x) {
                    total[x] = _mm_mullo_epi32(_mm_load_si128(sums + x), weight);
                }
            } else {
                for (std::size_t x = 0; x < width; ++x) {
                    total[x] =
                        _mm_add_epi32(total[x], _mm_mullo_epi32(_mm_load_si128(sums + x), weight));
                }
            }
        }
        for (std::size_t x = 0; x < width; ++x) {
            const __m128i bytes = _mm_srli_epi32(total[x], 24);
            const __m128i packed = _mm_packus_epi16(_mm_packus_epi32(bytes, bytes), bytes);
            out[x] = static_cast<QRgb>(_mm_cvtsi128_si32(packed)) | 0xFF000000u;
        }
    }
}
#endif

// Scales the pixels of `source` (rows `sourceStride` pixels apart) into
// `target` (rows `targetStride` apart) as `across` and `down` say; the X
// bytes of the target are 0xFF. Only the source rows that `down` reads are
// read. `rowSums` is working storage, kept between calls.
void Reduce(const QRgb* source, std::ptrdiff_t sourceStride, const Reduction& across,
            const Reduction& down, QRgb* target, std::ptrdiff_t targetStride,
            std::vector<RowSum>& rowSums) {
    int32_t top = INT32_MAX;
    int32_t bottom = -1;
    for (const Reduction::Tap& tap : down.taps) {
        top = std::min(top, tap.source);
        bottom = std::max(bottom, tap.source);
    }
    if (across.count == 0 || down.count == 0 || bottom < top) {
        return;
    }
    // The sums of every source row read, and one row more for the target's.
    rowSums.resize(static_cast<std::size_t>(bottom - top + 2) * across.count);
    uint32_t* sums = rowSums.data()->lanes;
#if defined(__x86_64__) || defined(__i386__)
    static const bool sse41 = __builtin_cpu_supports("sse4.1");
    if (sse41 && gVectorFilterAllowed.load(std::memory_order_relaxed)) {
        ReduceRowsSse41(source, sourceStride, across, down, target, targetStride, sums, top,
                        bottom);
        return;
    }
#endif
    ReduceRows(source, sourceStride, across, down, target, targetStride, sums, top, bottom);
}

// Repeats column `from` of `image` into column `to` between rows top and bottom.
void CopyColumn(QImage& image, int from, int to, int top, int bottom) {
    for (int y = top; y < bottom; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        row[to] = row[from];
    }
}

} // namespace

void SetVectorFilterAllowed(bool allowed) {
    gVectorFilterAllowed.store(allowed, std::memory_order_relaxed);
}

QImage ScaleRepeatingPicture(const QImage& tile, int from, int to) {
    const QImage source = Rgb32(tile);
    const int w = source.width();
    const int h = source.height();
    const int scaledW = ScaledSide(w, from, to);
    const int scaledH = ScaledSide(h, from, to);
    if (scaledW < w && scaledH < h) {
        // Made smaller: the middle of three by three copies scaled whole,
        // every source pixel read from the one copy.
        QImage result(scaledW, scaledH, QImage::Format_RGB32);
        std::vector<RowSum> rowSums;
        Reduce(reinterpret_cast<const QRgb*>(source.constBits()), source.bytesPerLine() / 4,
               MakeReduction(3 * w, 3 * scaledW, scaledW, scaledW, w),
               MakeReduction(3 * h, 3 * scaledH, scaledH, scaledH, h),
               reinterpret_cast<QRgb*>(result.bits()), result.bytesPerLine() / 4, rowSums);
        return result;
    }
    // Three by three copies, scaled whole; the middle copy has its real
    // neighbours on every side.
    QImage around(3 * w, 3 * h, QImage::Format_RGB32);
    {
        QPainter painter(&around);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 3; ++x) {
                painter.drawImage(x * w, y * h, source);
            }
        }
    }
    const QImage scaled =
        around.scaled(3 * scaledW, 3 * scaledH, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return scaled.copy(scaledW, scaledH, scaledW, scaledH);
}

QImage ScaleTileSheet(const QImage& sheet, int from, int to) {
    const QImage source = Rgb32(sheet);
    const int cellW = ScaleLength(kFaceWidth, from);
    const int cellH = ScaleLength(kFaceHeight, from);
    const int faceW = ScaleLength(kFaceWidth, to);
    const int faceH = ScaleLength(kFaceHeight, to);
    const int pitchX = SheetPitch(kFaceWidth, to);
    const int pitchY = SheetPitch(kFaceHeight, to);
    QImage out(kSheetColumns * pitchX, kSheetRows * pitchY, QImage::Format_RGB32);
    out.fill(Qt::black);
    // Every face has the same size: one set of weights for all of them.
    const bool smaller = faceW < cellW && faceH < cellH;
    const Reduction across = smaller ? MakeReduction(cellW, faceW, 0, faceW, 0) : Reduction();
    const Reduction down = smaller ? MakeReduction(cellH, faceH, 0, faceH, 0) : Reduction();
    std::vector<RowSum> rowSums;
    const std::ptrdiff_t outStride = out.bytesPerLine() / 4;
    for (int row = 0; row < kSheetRows; ++row) {
        for (int column = 0; column < kSheetColumns; ++column) {
            const QRect cellRect(column * cellW, row * cellH, cellW, cellH);
            if (!source.rect().contains(cellRect)) {
                continue; // no face there; stays black
            }
            const auto* cellPixels =
                reinterpret_cast<const QRgb*>(source.constScanLine(cellRect.top())) +
                cellRect.left();
            QRgb* facePixels =
                reinterpret_cast<QRgb*>(out.scanLine(row * pitchY)) + column * pitchX;
            if (smaller) {
                Reduce(cellPixels, source.bytesPerLine() / 4, across, down, facePixels, outStride,
                       rowSums);
                continue;
            }
            // The cell read in place, not copied.
            const QImage cell(reinterpret_cast<const uchar*>(cellPixels), cellW, cellH,
                              source.bytesPerLine(), QImage::Format_RGB32);
            const QImage face =
                cell.scaled(faceW, faceH, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_RGB32);
            for (int y = 0; y < faceH; ++y) {
                std::copy_n(reinterpret_cast<const QRgb*>(face.constScanLine(y)), faceW,
                            facePixels + y * outStride);
            }
        }
    }
    // The spare column and row repeat the face's last ones.
    for (int row = 0; row < kSheetRows; ++row) {
        const int top = row * pitchY;
        for (int column = 0; column < kSheetColumns && pitchX > faceW; ++column) {
            const int last = column * pitchX + faceW - 1;
            CopyColumn(out, last, last + 1, top, top + faceH);
        }
        if (pitchY > faceH) {
            const int last = top + faceH - 1;
            std::copy_n(reinterpret_cast<const QRgb*>(out.constScanLine(last)), out.width(),
                        reinterpret_cast<QRgb*>(out.scanLine(last + 1)));
        }
    }
    return out;
}

QImage ScaleKeyedPicture(const QImage& picture, int from, int to) {
    const QImage source = Rgb32(picture);
    // Black becomes transparent, everything else opaque; premultiplied, so
    // that the filter averages only opaque colours.
    QImage keyed(source.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            out[x] = (in[x] & 0xFFFFFFu) == 0 ? 0u : (in[x] | 0xFF000000u);
        }
    }
    const QImage scaled =
        keyed.scaled(ScaledSide(source.width(), from, to), ScaledSide(source.height(), from, to),
                     Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage result(scaled.size(), QImage::Format_RGB32);
    for (int y = 0; y < scaled.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(scaled.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < scaled.width(); ++x) {
            const int alpha = qAlpha(in[x]);
            if (alpha < 128) {
                out[x] = qRgb(0, 0, 0);
                continue;
            }
            const QRgb colour = qUnpremultiply(in[x]);
            // Pure black would turn transparent.
            out[x] = (colour & 0xFFFFFFu) == 0 ? qRgb(0, 0, 1) : (colour | 0xFF000000u);
        }
    }
    return result;
}

} // namespace kelmar
