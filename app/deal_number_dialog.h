// The small dialog of "Spiel Nummer ...": one line for the number of the
// deal to play, 1 to 999.999.999. OK is enabled only while the line holds
// a valid number, so the dialog never hands back anything else; while the
// line holds something else, a note under it names the allowed range.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>

class QDialogButtonBox;
class QLabel;
class QLineEdit;

namespace kelmar {

// How the main window asks; `current` (0 for none) is offered first.
// nullopt when the player cancels.
using DealNumberAsker = std::function<std::optional<uint32_t>(QWidget* owner, uint32_t current)>;

class TDealNumberForm final : public QDialog {
    Q_OBJECT
public:
    explicit TDealNumberForm(QWidget* owner, uint32_t current);

    // The number in the line, or nullopt while it is none.
    std::optional<uint32_t> number() const;

    QLineEdit* InpNumber = nullptr;
    QLabel* LPrompt = nullptr;
    QLabel* LRange = nullptr; // shown while the line holds text but no valid number
    QDialogButtonBox* Buttons = nullptr;

private:
    void InpNumberChange();
};

// Shows the dialog modally.
std::optional<uint32_t> AskDealNumber(QWidget* owner, uint32_t current);

} // namespace kelmar
