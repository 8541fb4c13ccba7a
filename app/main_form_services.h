// What the main window needs from the outside world.
#pragma once

#include "app/deal_number_dialog.h"
#include "app/help.h"
#include "app/layout_dialog.h"
#include "app/look_commands.h"
#include "app/stuck_dialog.h"
#include "core/solvability.h"

#include <QDate>
#include <QRect>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kelmar {

class FileRequester;
class MessageSink;
class TickSource;

// Today's local date from the system clock, as MainFormServices::today
// gives it.
inline std::array<int, 3> SystemToday() {
    const QDate today = QDate::currentDate();
    return {today.year(), today.month(), today.day()};
}

// What the window needs from the outside world; every pointer must outlive
// the window. Production passes the real counter, message boxes and file
// dialogs; tests pass fakes. Every asker left empty means the real dialog.
struct MainFormServices {
    TickSource* ticks = nullptr;
    MessageSink* messages = nullptr;
    FileRequester* files = nullptr;
    HelpOpener openHelp{};
    // Milliseconds since midnight UTC for seeding the deal generator; empty
    // means the system clock.
    std::function<uint32_t()> msSinceMidnightUtc{};
    // The solver of the solvability check, called on a worker thread; empty
    // means SolvePosition.
    SolveFunction solve{};
    // The dialog after a game got stuck; empty means the real one.
    StuckChoiceAsker askStuck{};
    // The folder of the player's layout files; unset means
    // PlayerLayoutFolder(), empty means none.
    std::optional<std::string> layoutFolder{};
    // The layout chooser; empty means the dialog (AskLayout).
    LayoutAsker askLayout{};
    // The folder of the player's tile sets; unset means
    // PlayerTileSetFolder(), empty means none.
    std::optional<std::string> tileSetFolder{};
    // The looks chooser and the colour dialog; empty means the real ones.
    LookAsker askLook{};
    ColourAsker askColour{};
    // The dialog of "Spiel Nummer ..."; empty means the real one.
    DealNumberAsker askDealNumber{};
    // Today's local date as year, month, day for the game of the day; empty
    // means the system clock.
    std::function<std::array<int, 3>()> today{};
    // The work area of the window's screen (what the size menu offers);
    // empty means the screen's available geometry.
    std::function<QRect()> workArea{};
};

} // namespace kelmar
