// What the help window agrees to lay out. Qt's text layout takes time that
// doubles with every level of tables inside tables (14 levels: 0.3 s, 20
// levels: 19 s, a few thousand levels overflow the stack) and grows with
// the square of other nesting; a page beyond these limits is refused
// before Qt sees it. Our own page is one level deep.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <string_view>

namespace kelmar {

// Our page is about 26 KB; a flat page of this size lays out in 0.3 s.
constexpr qint64 kMaxHelpPageBytes = 1024 * 1024;
// Elements open inside each other (tables, lists, quotes, font changes...).
constexpr int kMaxHelpNesting = 100;
// Tables inside tables: 10 levels lay out in about 20 ms.
constexpr int kMaxHelpTableNesting = 10;
// The sum over all elements of their nesting depth, plus 2^depth for each
// table (a table costs about as much as all the tables around it): 200,000
// keeps the worst page within the other limits near half a second.
constexpr int64_t kMaxHelpLayoutCost = 200'000;

// The longest length a page may give anything (paddings, spacings, widths,
// heights, margins, indents, borders, font and picture sizes), in pixels;
// Qt's layout runs for minutes on a cell padding of 30,000,000. Lengths in
// other units count as the pixels they stand for (an em or ex as 16, a
// percent as 4: 1000 % at most).
constexpr double kMaxHelpLengthPixels = 4000;
// Font sizes (CSS font-size and font) are held lower: past about 2^23
// pixels of page height Qt's layout no longer ends, and a font of 500
// pixels reaches that with 50 KB of text; at 72 a page of the largest size
// lays out no slower than at the usual size.
constexpr double kMaxHelpFontPixels = 72;
// The estimated height of the laid-out page (HelpPageShape::height) at
// most, in pixels: half the height at which Qt's layout stops ending.
constexpr double kMaxHelpPageHeight = 1 << 22;
// Table cells may span at most this many columns or rows.
constexpr double kMaxHelpCellSpan = 1000;

struct HelpPageShape {
    int nesting = 0;      // deepest nesting of elements with an end tag
    int tableNesting = 0; // deepest nesting of tables
    int64_t cost = 0;     // as for kMaxHelpLayoutCost, stops growing past it
    // A length attribute or style (attribute or <style> element) gives a
    // length above kMaxHelpLengthPixels, a font size above
    // kMaxHelpFontPixels or a span above kMaxHelpCellSpan, or writes a
    // length with a character reference that hides its value.
    bool oversized = false;
    // The height the page could take at worst, in pixels: every word and
    // every element on a line of its own in the largest font size given,
    // every element with the largest vertical length (margin, padding,
    // border, height, cell padding or spacing) above and below it.
    double height = 0;
};

// The nesting of an HTML text as Qt's reader sees it, from its tags alone:
// comments are skipped; elements without end tags (br, img, hr, ...) and
// those another element ends by itself (p, li, td, tr, dd, ...) do not
// nest; an end tag closes one level. Never reads past the text.
HelpPageShape MeasureHelpPage(const QByteArray& html);

// True when the page stays within every limit above (its size included).
bool HelpPageFits(const QByteArray& html);

// True when no length of the style sheet `css` (CSS text) is above
// kMaxHelpLengthPixels and no font size above kMaxHelpFontPixels.
bool HelpStyleFits(std::string_view css);

} // namespace kelmar
