// "Kacheln ..." and "Hintergrund ...": the tile sets on offer (ours and the
// player's own), the looks the settings name at start, and the choice of
// new looks while a game runs. The board is redrawn at once; the deal, the
// clock and the history are not touched.
#pragma once

#include "app/look_dialog.h"
#include "render/looks.h"

#include <QRgb>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace kelmar {

class MainView;
struct Game;

// The desktop's colour dialog, opened on `initial`; nullopt when cancelled.
using ColourAsker = std::function<std::optional<QRgb>(QWidget* owner, QRgb initial)>;
std::optional<QRgb> AskColour(QWidget* owner, QRgb initial);

class LookCommands {
public:
    // Empty askers mean the real dialogs (AskLook, AskColour).
    LookCommands(Game& game, MainView& view, LookAsker askLook, ColourAsker askColour);

    // At start, before the pictures are first read: the player's sets in
    // `folder` (unset: PlayerTileSetFolder(), empty: none) join ours; the settings' looks are
    // resolved (a name no set or felt has becomes today's look, and the settings say so) and handed
    // to the renderer. Returns one German text on the sets that are not offered, empty when there
    // are none.
    std::string start(const std::optional<std::string>& folder);

    // The first reading of the pictures at start (MainView::LoadGraphics).
    // Pictures of a player's set that passed the check at start but cannot
    // be read give way to today's looks, so that the game still starts;
    // returns the German warning then, else empty. Throws GraphicsError
    // when today's looks cannot be read either.
    std::string loadFirst();

    // The choosers. Choosing redraws the board at once and keeps the choice
    // in the settings; a set whose pictures cannot be read leaves the looks
    // as they were and throws GraphicsError.
    void chooseTileSet(QWidget* owner);
    void chooseBackground(QWidget* owner);

    const std::vector<LookChoice>& tileSets() const { return tileSets_; }

private:
    LookSetting current() const;
    void choose(const LookSetting& looks);

    Game& game_;
    MainView& view_;
    LookAsker askLook_;
    ColourAsker askColour_;
    std::vector<LookChoice> tileSets_; // fixed after start: settings point into it
};

} // namespace kelmar
