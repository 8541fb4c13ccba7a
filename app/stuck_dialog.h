// The small dialog after "VERLOREN!": what the player wants to do with a
// stuck game. Escape and the window's close button mean "Schließen".
#pragma once

#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

namespace kelmar {

// The main window indexes its answers by these values, in this order.
enum class StuckChoice { BackToSolvable, Shuffle, SameGame, NewGame, Close };

// How the main window asks; empty in MainFormServices means no dialog, the
// same as "Schließen" (window tests that are not about the dialog).
using StuckChoiceAsker = std::function<StuckChoice(QWidget* owner)>;

// The dialog, not yet shown: caption "Kelmar", a question and the five
// buttons "Zurück bis lösbar", "Mischen", "Gleiches Spiel neu", "Neues
// Spiel", "Schließen" (the escape button).
std::unique_ptr<QMessageBox> CreateStuckDialog(QWidget* owner);

// The choice a finished dialog stands for; Close when no button was pressed.
StuckChoice StuckChoiceOf(const QMessageBox& dialog);

// Shows the dialog modally and returns the choice.
StuckChoice AskStuckChoice(QWidget* owner);

} // namespace kelmar
