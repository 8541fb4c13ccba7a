#include "render/text.h"

#include "render/pixel_rows.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <vector>

namespace kelmar {
namespace {

constexpr int kDotsPerInch = 96;
constexpr int kPointsPerInch = 72;

uint8_t Blend(uint8_t over, uint8_t under, int alpha) {
    return static_cast<uint8_t>((over * alpha + under * (255 - alpha) + 127) / 255);
}

bool IsIndexed(PixelFormatSetting format) {
    return format == PixelFormatSetting::Bits4 || format == PixelFormatSetting::Bits8;
}

} // namespace

TextStyle BannerFontStyle() {
    return {QStringLiteral("Trebuchet MS"), 54, true};
}

TextStyle LogoLineFontStyle() {
    return {QStringLiteral("Tahoma"), 8, false};
}

QFont MakeFont(const TextStyle& style) {
    QFont font(style.Family);
    const int points = std::clamp(style.PointSize, 1, 1000);
    font.setPixelSize((points * kDotsPerInch + kPointsPerInch / 2) / kPointsPerInch);
    font.setBold(style.Bold);
    font.setItalic(false);
    font.setUnderline(false);
    return font;
}

QSize MeasureText(const TextStyle& style, const QString& text) {
    const QFontMetrics metrics(MakeFont(style));
    return {metrics.horizontalAdvance(text), metrics.height()};
}

namespace {

// A stretch of one coverage row whose pixels are all written the same way:
// either all with the solid colour or all blended with what lies under them.
// Columns are coverage pixels, End exclusive.
struct InkRun {
    int32_t Begin;
    int32_t End;
    bool Blended;
};

// The runs of every coverage row: row iy holds Runs[RowStart[iy]] up to
// Runs[RowStart[iy + 1]], left to right, never overlapping. Columns without
// ink (coverage 0, or under half in the indexed formats) are in no run.
struct InkRows {
    std::vector<InkRun> Runs;
    std::vector<std::size_t> RowStart;
    int32_t LongestSolid = 0;
};

// The rasterised text: `alpha` the glyph coverage (0..255) row by row,
// `width` x `height` pixels, `area` its place relative to the text cell's
// top-left corner. A picture Qt could not allocate has width and height 0
// and draws nothing. The true-colour formats write coverage 255 solid and blend
// 1..254; the indexed ones write 128..255 solid and leave the rest.
struct Coverage {
    TextStyle style;
    QString text;
    QRect area;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> alpha;
    InkRows trueColour;
    InkRows indexed;
};

enum class Ink : uint8_t { None, Solid, Blended };

template <typename Classify>
InkRows FindInkRuns(const std::vector<uint8_t>& alpha, int32_t width, int32_t height,
                    Classify classify) {
    InkRows rows;
    rows.RowStart.reserve(static_cast<std::size_t>(height) + 1);
    for (int32_t iy = 0; iy < height; ++iy) {
        rows.RowStart.push_back(rows.Runs.size());
        const uint8_t* line = alpha.data() + static_cast<std::size_t>(iy) * width;
        int32_t ix = 0;
        while (ix < width) {
            const Ink ink = classify(line[ix]);
            int32_t end = ix + 1;
            while (end < width && classify(line[end]) == ink) {
                ++end;
            }
            if (ink != Ink::None) {
                rows.Runs.push_back({ix, end, ink == Ink::Blended});
                if (ink == Ink::Solid) {
                    rows.LongestSolid = std::max(rows.LongestSolid, end - ix);
                }
            }
            ix = end;
        }
    }
    rows.RowStart.push_back(rows.Runs.size());
    return rows;
}

Coverage Rasterise(const TextStyle& style, const QString& text) {
    const QFont font = MakeFont(style);
    const QFontMetrics metrics(font);
    // The glyphs may reach outside the text cell (overhangs, accents): cover
    // the union of the cell and the ink.
    const QRect cell(0, 0, metrics.horizontalAdvance(text), metrics.height());
    const QRect ink = metrics.boundingRect(text).translated(0, metrics.ascent());
    const QRect area = cell.united(ink).adjusted(-1, -1, 1, 1);
    QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(-area.left(), -area.top() + metrics.ascent(), text);
    }
    const int32_t width = image.width();
    const int32_t height = image.height();
    std::vector<uint8_t> alpha(static_cast<std::size_t>(width) * height);
    for (int32_t iy = 0; iy < height; ++iy) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(iy));
        for (int32_t ix = 0; ix < width; ++ix) {
            alpha[static_cast<std::size_t>(iy) * width + ix] =
                static_cast<uint8_t>(qAlpha(line[ix]));
        }
    }
    InkRows trueColour = FindInkRuns(alpha, width, height, [](uint8_t a) {
        return a == 0 ? Ink::None : a == 255 ? Ink::Solid : Ink::Blended;
    });
    InkRows indexed = FindInkRuns(alpha, width, height,
                                  [](uint8_t a) { return a >= 128 ? Ink::Solid : Ink::None; });
    Coverage coverage{style, text, area, width, height, std::move(alpha), {}, {}};
    coverage.trueColour = std::move(trueColour);
    coverage.indexed = std::move(indexed);
    return coverage;
}

// The banner is drawn at every step of the replay after a win: keep the last
// few rasterised texts instead of asking the font engine each time. Only the
// user-interface thread draws text.
const Coverage& CoverageOf(const TextStyle& style, const QString& text) {
    constexpr std::size_t kCacheSize = 4;
    static std::deque<Coverage> cache;
    for (const Coverage& entry : cache) {
        if (entry.text == text && entry.style.Family == style.Family &&
            entry.style.PointSize == style.PointSize && entry.style.Bold == style.Bold) {
            return entry;
        }
    }
    if (cache.size() == kCacheSize) {
        cache.pop_back();
    }
    cache.push_front(Rasterise(style, text));
    return cache.front();
}

// Sets pixels [x0, x1) of a Bits4 row to `nibble`: the odd first and even
// last pixel by nibble, the whole bytes between at once.
void FillNibbles(uint8_t* row, int32_t x0, int32_t x1, uint8_t nibble) {
    if (x0 & 1) {
        row[x0 >> 1] = static_cast<uint8_t>((row[x0 >> 1] & 0xF0) | nibble);
        ++x0;
    }
    if (x1 - x0 >= 2) {
        std::memset(row + (x0 >> 1), nibble * 0x11, static_cast<std::size_t>((x1 - x0) >> 1));
        x0 += (x1 - x0) & ~1;
    }
    if (x0 < x1) {
        row[x0 >> 1] = static_cast<uint8_t>((row[x0 >> 1] & 0x0F) | (nibble << 4));
    }
}

// Blends `colour` over pixels [x0, x0 + count) of a Bits15/Bits16 row with
// the coverage `alpha[0 .. count)`, decoding and encoding each word exactly
// as Bitmap::pixel and Bitmap::setPixel do.
template <PixelFormatSetting kFormat>
void BlendWordRun(uint8_t* row, int32_t x0, int32_t count, const uint8_t* alpha, Rgb colour) {
    uint8_t* p = row + static_cast<std::size_t>(x0) * 2;
    for (int32_t i = 0; i < count; ++i, p += 2) {
        const uint32_t stored = p[0] | (p[1] << 8);
        const uint32_t under =
            kFormat == PixelFormatSetting::Bits15 ? DecodeWord15(stored) : DecodeWord16(stored);
        const int a = alpha[i];
        const uint32_t over =
            (uint32_t{Blend(colour.R, static_cast<uint8_t>(under >> 16), a)} << 16) |
            (uint32_t{Blend(colour.G, static_cast<uint8_t>(under >> 8), a)} << 8) |
            Blend(colour.B, static_cast<uint8_t>(under), a);
        const uint32_t word =
            kFormat == PixelFormatSetting::Bits15 ? EncodeWord15(over) : EncodeWord16(over);
        p[0] = static_cast<uint8_t>(word);
        p[1] = static_cast<uint8_t>(word >> 8);
    }
}

// The same for the formats that hold blue, green, red as bytes: Bits24 (3
// bytes), Bits32 (4, fourth byte written 0) and Device (4, X byte written
// 0xFF), exactly as their row encoding stores a colour.
template <int kBytes, uint8_t kFourth>
void BlendByteRun(uint8_t* row, int32_t x0, int32_t count, const uint8_t* alpha, Rgb colour) {
    uint8_t* p = row + static_cast<std::size_t>(x0) * kBytes;
    for (int32_t i = 0; i < count; ++i, p += kBytes) {
        const int a = alpha[i];
        p[0] = Blend(colour.B, p[0], a);
        p[1] = Blend(colour.G, p[1], a);
        p[2] = Blend(colour.R, p[2], a);
        if constexpr (kBytes == 4) {
            p[3] = kFourth;
        }
    }
}

void BlendRun(PixelFormatSetting format, uint8_t* row, int32_t x0, int32_t count,
              const uint8_t* alpha, Rgb colour) {
    switch (format) {
    case PixelFormatSetting::Bits24:
        BlendByteRun<3, 0>(row, x0, count, alpha, colour);
        return;
    case PixelFormatSetting::Bits32:
        BlendByteRun<4, 0x00>(row, x0, count, alpha, colour);
        return;
    case PixelFormatSetting::Device:
        BlendByteRun<4, 0xFF>(row, x0, count, alpha, colour);
        return;
    case PixelFormatSetting::Bits15:
        BlendWordRun<PixelFormatSetting::Bits15>(row, x0, count, alpha, colour);
        return;
    case PixelFormatSetting::Bits16:
        BlendWordRun<PixelFormatSetting::Bits16>(row, x0, count, alpha, colour);
        return;
    default: // the indexed formats have no blended runs
        return;
    }
}

} // namespace

void DrawText(Bitmap& dst, int32_t x, int32_t y, const TextStyle& style, Rgb colour,
              const QString& text) {
    if (text.isEmpty() || dst.isEmpty()) {
        return;
    }
    const Coverage& glyphs = CoverageOf(style, text);
    const PixelFormatSetting format = dst.format();
    const InkRows& rows = IsIndexed(format) ? glyphs.indexed : glyphs.trueColour;
    const int32_t width = glyphs.width;
    const int32_t height = glyphs.height;

    // The visible coverage rows and the bitmap column of coverage column 0,
    // in 64 bits: x and y may be anywhere in the 32-bit range.
    const int64_t top = int64_t{y} + glyphs.area.top();
    const int64_t left = int64_t{x} + glyphs.area.left();
    const int64_t firstRow = std::max<int64_t>(0, -top);
    const int64_t endRow = std::min<int64_t>(height, int64_t{dst.height()} - top);
    if (firstRow >= endRow || left >= dst.width() || left + width <= 0) {
        return;
    }

    // The colour encoded once; solid runs copy it from a row of it.
    const uint32_t packed = (uint32_t{colour.R} << 16) | (uint32_t{colour.G} << 8) | colour.B;
    const int32_t bytesPerPixel = StorageBitsPerPixel(format) / 8;
    thread_local std::vector<uint8_t> solidRow;
    uint8_t nibble = 0;
    if (format == PixelFormatSetting::Bits4) {
        uint8_t byte = 0;
        EncodeRow(format, &packed, 0, 1, &byte);
        nibble = static_cast<uint8_t>(byte >> 4);
    } else {
        solidRow.resize(static_cast<std::size_t>(rows.LongestSolid) * bytesPerPixel + 4);
        EncodeRow(format, &packed, 0, 1, solidRow.data());
        for (std::size_t i = static_cast<std::size_t>(bytesPerPixel); i < solidRow.size(); ++i) {
            solidRow[i] = solidRow[i - static_cast<std::size_t>(bytesPerPixel)];
        }
    }

    const int64_t dstWidth = dst.width();
    for (int64_t iy = firstRow; iy < endRow; ++iy) {
        uint8_t* row = dst.row(static_cast<int32_t>(top + iy));
        const uint8_t* alpha = glyphs.alpha.data() + static_cast<std::size_t>(iy) * width;
        const auto end = rows.Runs.begin() + static_cast<std::ptrdiff_t>(rows.RowStart[iy + 1]);
        for (auto run = rows.Runs.begin() + static_cast<std::ptrdiff_t>(rows.RowStart[iy]);
             run != end; ++run) {
            const int64_t from = std::max<int64_t>(left + run->Begin, 0);
            const int64_t to = std::min<int64_t>(left + run->End, dstWidth);
            if (from >= to) {
                continue;
            }
            const auto x0 = static_cast<int32_t>(from);
            const auto count = static_cast<int32_t>(to - from);
            if (run->Blended) {
                BlendRun(format, row, x0, count, alpha + (from - left), colour);
            } else if (format == PixelFormatSetting::Bits4) {
                FillNibbles(row, x0, x0 + count, nibble);
            } else {
                std::memcpy(row + static_cast<std::size_t>(x0) * bytesPerPixel, solidRow.data(),
                            static_cast<std::size_t>(count) * bytesPerPixel);
            }
        }
    }
}

} // namespace kelmar
