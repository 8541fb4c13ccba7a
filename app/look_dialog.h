// The chooser of the looks ("Kacheln", "Hintergrund"): every tile set or
// felt as a piece of a dealt board composed by the game's renderer with it,
// under its German name. The pictures are drawn when the chooser opens and
// dropped when it closes; nothing of the sets not chosen stays in memory.
#pragma once

#include "render/looks.h"

#include <QImage>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace kelmar {

struct Graphics;

// One entry of the chooser.
struct LookEntry {
    QString name;   // the German name
    QImage picture; // a piece of a board in these looks; null when unreadable
};

// A piece of a board dealt with a fixed seed, composed at 100 % in the
// Device format with the pictures of `looks` (read from the folders below
// graphics.PictureFolder), scaled to `width` pixels: of its middle to show
// the `faces`, else of a corner to show the felt. A null image when a
// picture of the looks cannot be read.
QImage LookPreview(const Graphics& graphics, const LookSetting& looks, int width,
                   bool faces = true);

// The entries for `choices`, each previewed with the tile set (`tileSets`
// true) or the felt of the entry and the rest of `current`.
std::vector<LookEntry> LookEntries(const Graphics& graphics, const std::vector<LookChoice>& choices,
                                   bool tileSets, const LookSetting& current, int width);

// The dialog, modal, titled `title`, with entry `current` selected; a
// double click or "OK" chooses, "Abbrechen" and Escape cancel. The index of
// the chosen entry, or nullopt.
std::optional<int> AskLook(QWidget* owner, const QString& title,
                           const std::vector<LookEntry>& entries, int current);
using LookAsker = std::function<std::optional<int>(
    QWidget* owner, const QString& title, const std::vector<LookEntry>& entries, int current)>;

} // namespace kelmar
