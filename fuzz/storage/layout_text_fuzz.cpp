// The layout text parser on arbitrary bytes. Properties: never a crash or
// sanitizer report; a layout it accepts has 144 positions, each on the
// board surface with a layer of 1..15, no two of one layer overlapping; a
// refusal names a line of the text or the text as a whole.
#include "core/game.h"
#include "core/layout_text.h"
#include "fuzz/storage/fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelmar;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const LayoutTextResult r = ParseLayoutText(text, "fuzz");
    if (!r.layout) {
        const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
        FUZZ_CHECK(r.error.Line >= 0 && r.error.Line <= lines);
        FUZZ_CHECK(!r.error.Message.empty());
        return 0;
    }
    const auto& p = r.layout->Positions;
    for (size_t i = 0; i < p.size(); ++i) {
        FUZZ_CHECK(PositionOnBoardSurface(p[i]));
        for (size_t j = i + 1; j < p.size(); ++j) {
            FUZZ_CHECK(!(p[i].Layer == p[j].Layer && std::abs(p[i].X - p[j].X) < kFaceWidth &&
                         std::abs(p[i].Y - p[j].Y) < kFaceHeight));
        }
    }
    return 0;
}
