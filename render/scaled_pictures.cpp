#include "render/scaled_pictures.h"

#include "core/game.h"
#include "core/zoom.h"

#include <QPainter>
#include <algorithm>
#if defined(__x86_64__)
#include <immintrin.h>
#endif
#include <cstdint>
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

#if defined(__x86_64__)
#define KELMAR_AVX2_FILTER 1

// The smoothing filter for pictures made smaller: each target pixel is the
// mean of the source pixels its area covers, weighted by how much of each
// it covers. Weights are in 1/16384 and summed with the rounding of Qt's
// smooth scaling, so that a picture comes out as QImage::scaled with
// Qt::SmoothTransformation makes it, bit for bit (the tests compare the
// two); but the weights are worked out once per picture instead of once
// per face, the filter runs across and then down instead of across for
// every row of every target pixel, and with AVX2 on two pixels at a time.
// Without AVX2 (older or other processors) Qt's filter does the work.
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

// Four 32-bit lanes: a pixel's blue, green, red and X, or weights.
struct alignas(16) Lanes {
    uint32_t lane[4];
};

// The taps across, two neighbouring source pixels at a time (read as one
// 8-byte word from `first`, at most the row's last but one pixel) with
// their weights in the low and high half of every lane; `width` pairs per
// target pixel, pairs of weight 0 at the end. Pair j of target pixel x is
// entry j * count + x, so that two target pixels' pairs lie side by side.
struct PairTaps {
    std::vector<int32_t> first;
    std::vector<Lanes> weights;
    std::size_t count = 0;
    std::size_t width = 0;
};

PairTaps MakePairTaps(const Reduction& across, int32_t sourceWidth) {
    PairTaps pairs;
    pairs.count = static_cast<std::size_t>(across.count);
    std::vector<std::vector<std::pair<int32_t, uint32_t>>> all(pairs.count);
    for (std::size_t x = 0; x < all.size(); ++x) {
        auto& own = all[x];
        for (int32_t t = 0; t < across.width; ++t) {
            const Reduction::Tap tap = across.of(x)[t];
            if (tap.weight == 0) {
                continue;
            }
            const int32_t offset = own.empty() ? -1 : tap.source - own.back().first;
            if (offset < 0 || offset > 1 || ((own.back().second >> (16 * offset)) & 0xFFFF) != 0) {
                own.emplace_back(std::min(tap.source, sourceWidth - 2), 0);
            }
            own.back().second |= tap.weight << (16 * (tap.source - own.back().first));
        }
        pairs.width = std::max(pairs.width, own.size());
    }
    pairs.first.assign(pairs.count * pairs.width, 0);
    pairs.weights.assign(pairs.count * pairs.width, Lanes{});
    for (std::size_t x = 0; x < all.size(); ++x) {
        for (std::size_t j = 0; j < all[x].size(); ++j) {
            const std::size_t at = j * pairs.count + x;
            const uint32_t both = all[x][j].second;
            pairs.first[at] = all[x][j].first;
            pairs.weights[at] = {{both, both, both, both}};
        }
    }
    return pairs;
}

// The sums across of one source row `in`, a pixel's four lanes in 1/1024
// (the rounding of Qt's filter), into `sums`.
__attribute__((target("avx2"))) void SumAcross(const QRgb* in, const PairTaps& pairs, Lanes* sums) {
    // Two pixels' bytes b0 g0 r0 x0 b1 g1 r1 x1 as the 16-bit lanes b0 b1 g0
    // g1 r0 r1 x0 x1, for products summed in pairs by madd.
    const __m256i interleave =
        _mm256_setr_epi8(0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1, 0, -1, 4, -1, 1,
                         -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1);
    const std::size_t count = pairs.count;
    std::size_t x = 0;
    for (; x + 2 <= count; x += 2) {
        __m256i sum = _mm256_setzero_si256();
        for (std::size_t j = 0; j < pairs.width; ++j) {
            const std::size_t at = j * count + x;
            const __m128i one =
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + pairs.first[at]));
            const __m128i two =
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + pairs.first[at + 1]));
            const __m256i both = _mm256_inserti128_si256(_mm256_castsi128_si256(one), two, 1);
            sum = _mm256_add_epi32(
                sum, _mm256_madd_epi16(
                         _mm256_shuffle_epi8(both, interleave),
                         _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&pairs.weights[at]))));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + x), _mm256_srli_epi32(sum, 4));
    }
    for (; x < count; ++x) {
        __m128i sum = _mm_setzero_si128();
        for (std::size_t j = 0; j < pairs.width; ++j) {
            const std::size_t at = j * count + x;
            const __m128i two =
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + pairs.first[at]));
            sum = _mm_add_epi32(
                sum, _mm_madd_epi16(
                         _mm_shuffle_epi8(two, _mm256_castsi256_si128(interleave)),
                         _mm_load_si128(reinterpret_cast<const __m128i*>(&pairs.weights[at]))));
        }
        _mm_store_si128(reinterpret_cast<__m128i*>(sums + x), _mm_srli_epi32(sum, 4));
    }
}

// One target row from the sums of the rows `rows` (each `count` pixels)
// and their weights, into `out`.
__attribute__((target("avx2"))) void SumDown(const Lanes* const* rows, const uint32_t* weights,
                                             std::size_t taps, std::size_t count, QRgb* out) {
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    std::size_t x = 0;
    for (; x + 2 <= count; x += 2) {
        __m256i sum = _mm256_setzero_si256();
        for (std::size_t t = 0; t < taps; ++t) {
            // Modulo 2^32, as Qt's sums.
            sum = _mm256_add_epi32(
                sum, _mm256_mullo_epi32(
                         _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[t] + x)),
                         _mm256_set1_epi32(static_cast<int>(weights[t]))));
        }
        const __m256i bytes = _mm256_srli_epi32(sum, 24); // 0..255 in each lane
        const __m256i words = _mm256_packus_epi32(bytes, bytes);
        const __m256i packed = _mm256_or_si256(_mm256_packus_epi16(words, words), opaque);
        out[x] = static_cast<QRgb>(_mm256_extract_epi32(packed, 0));
        out[x + 1] = static_cast<QRgb>(_mm256_extract_epi32(packed, 4));
    }
    for (; x < count; ++x) {
        __m128i sum = _mm_setzero_si128();
        for (std::size_t t = 0; t < taps; ++t) {
            sum = _mm_add_epi32(
                sum, _mm_mullo_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(rows[t] + x)),
                                     _mm_set1_epi32(static_cast<int>(weights[t]))));
        }
        const __m128i bytes = _mm_srli_epi32(sum, 24);
        const __m128i packed = _mm_packus_epi16(_mm_packus_epi32(bytes, bytes), bytes);
        out[x] = static_cast<QRgb>(_mm_cvtsi128_si32(packed)) | 0xFF000000u;
    }
}

// Whether Reduce can run here.
bool FastFilter() {
    static const bool avx2 = __builtin_cpu_supports("avx2") != 0;
    return avx2;
}

// Scales the pixels of `source` (`sourceWidth` wide, at least 2; rows
// `sourceStride` pixels apart) into `target` (rows `targetStride` apart) as
// `across` and `down` say; the X bytes of the target are 0xFF. Needs
// FastFilter(). `pairs` is MakePairTaps(across, sourceWidth).
void Reduce(const QRgb* source, std::ptrdiff_t sourceStride, const PairTaps& pairs,
            const Reduction& down, QRgb* target, std::ptrdiff_t targetStride) {
    // The sums across of a few source rows at a time, each kept while the
    // target rows read it: they stay in the first-level cache.
    const auto taps = static_cast<std::size_t>(down.width);
    const std::size_t slotCount = taps + 1;
    std::vector<Lanes> sums(slotCount * pairs.count);
    std::vector<int32_t> slotRow(slotCount, -1);
    std::vector<const Lanes*> rows(taps);
    std::vector<uint32_t> weights(taps);
    for (int32_t y = 0; y < down.count; ++y) {
        const Reduction::Tap* tap = down.of(static_cast<std::size_t>(y));
        for (std::size_t t = 0; t < taps; ++t) {
            const auto slot = static_cast<std::size_t>(
                std::find(slotRow.begin(), slotRow.end(), tap[t].source) - slotRow.begin());
            std::size_t use = slot;
            if (slot == slotCount) {
                // A slot whose row this target row does not read.
                for (use = 0; use < slotCount; ++use) {
                    const auto reads = [&](const Reduction::Tap& other) {
                        return other.source == slotRow[use];
                    };
                    if (std::none_of(tap, tap + taps, reads)) {
                        break;
                    }
                }
                slotRow[use] = tap[t].source;
                SumAcross(source + tap[t].source * sourceStride, pairs,
                          sums.data() + use * pairs.count);
            }
            rows[t] = sums.data() + use * pairs.count;
            weights[t] = tap[t].weight;
        }
        SumDown(rows.data(), weights.data(), taps, pairs.count,
                target + static_cast<std::ptrdiff_t>(y) * targetStride);
    }
}
#endif

// Repeats column `from` of `image` into column `to` between rows top and bottom.
void CopyColumn(QImage& image, int from, int to, int top, int bottom) {
    for (int y = top; y < bottom; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        row[to] = row[from];
    }
}

} // namespace

QImage ScaleRepeatingPicture(const QImage& tile, int from, int to) {
    const QImage source = Rgb32(tile);
    const int w = source.width();
    const int h = source.height();
    const int scaledW = ScaledSide(w, from, to);
    const int scaledH = ScaledSide(h, from, to);
#ifdef KELMAR_AVX2_FILTER
    if (scaledW < w && scaledH < h && w >= 2 && FastFilter()) {
        // Made smaller: the middle of three by three copies scaled whole,
        // every source pixel read from the one copy.
        QImage result(scaledW, scaledH, QImage::Format_RGB32);
        Reduce(reinterpret_cast<const QRgb*>(source.constBits()), source.bytesPerLine() / 4,
               MakePairTaps(MakeReduction(3 * w, 3 * scaledW, scaledW, scaledW, w), w),
               MakeReduction(3 * h, 3 * scaledH, scaledH, scaledH, h),
               reinterpret_cast<QRgb*>(result.bits()), result.bytesPerLine() / 4);
        return result;
    }
#endif
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
#ifdef KELMAR_AVX2_FILTER
    // Every face has the same size: one set of weights for all of them.
    const bool fast = faceW < cellW && faceH < cellH && cellW >= 2 && FastFilter();
    const PairTaps across =
        fast ? MakePairTaps(MakeReduction(cellW, faceW, 0, faceW, 0), cellW) : PairTaps();
    const Reduction down = fast ? MakeReduction(cellH, faceH, 0, faceH, 0) : Reduction();
#endif
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
#ifdef KELMAR_AVX2_FILTER
            if (fast) {
                Reduce(cellPixels, source.bytesPerLine() / 4, across, down, facePixels, outStride);
                continue;
            }
#endif
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
