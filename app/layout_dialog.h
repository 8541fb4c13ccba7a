// The layout chooser ("Aufstellung"): every layout as a small picture of
// its full board drawn by the game's renderer, with its name, its number of
// layers, the grade of its typical deal and the player's best time on it.
#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QDialog;
class QListWidget;
class QWidget;

namespace kelmar {

struct Graphics;
struct Layout;
class ScoreBook;

// One entry of the chooser.
struct LayoutChoice {
    QString name;         // the German name
    int layers = 0;       // the highest layer
    QString bestTime;     // "mm:ss" of the player's fastest row, "–" without one
    QImage picture;       // the whole board, shrunk
    QString typicalGrade; // "leicht", "mittel" or "schwer" (TypicalGradeWord)
};

// How the main window asks: the index of the chosen entry, or nullopt when
// the player cancels. Empty in MainFormServices means the dialog below.
using LayoutAsker = std::function<std::optional<int>(
    QWidget* owner, const std::vector<LayoutChoice>& choices, int current)>;

// The text under an entry's picture: name, layers, typical grade and best
// time.
QString LayoutChoiceText(const LayoutChoice& choice);

// The grade word of the layout's typical deal (TypicalGrade).
QString TypicalGradeWord(const Layout& layout);

// The full board of a deal on `layout` (a fixed seed, so faces show),
// drawn with the pictures of `graphics` at its zoom level and shrunk to
// `width` pixels. A null image when the pictures are not loaded.
QImage LayoutPreview(const Layout& layout, const Graphics& graphics, int width);

// The chooser's entries for `layouts`, with the player's best times of
// `scores` and previews drawn with `graphics`.
std::vector<LayoutChoice> LayoutChoices(const std::vector<Layout>& layouts, const ScoreBook& scores,
                                        const Graphics& graphics);

// How the chooser lays out `count` entries of `cell` pixels (a picture with
// its text) in `room` pixels of the screen: four columns, more when the
// rows would not fit the room's height and its width has place for them;
// `visibleRows` whole rows are shown (all when they fit), the rest scrolls
// a row at a time, so no row is ever cut.
struct ChooserGrid {
    int columns = 1;
    int rows = 1;        // all rows, at least 1
    int visibleRows = 1; // 1..rows
};
ChooserGrid ChooserGridFor(int count, int cellWidth, int cellHeight, int roomWidth, int roomHeight);

// The dialog, modal, with the current entry selected; a double click or
// "OK" chooses, "Abbrechen" and Escape cancel. Sized by ChooserGridFor to
// the screen it opens on.
std::optional<int> AskLayout(QWidget* owner, const std::vector<LayoutChoice>& choices, int current);

} // namespace kelmar
