#include "app/stuck_dialog.h"

#include <QMessageBox>
#include <QPushButton>
#include <array>

namespace kelmar {

namespace {

struct ChoiceButton {
    const char* text; // UTF-8
    StuckChoice choice;
    QMessageBox::ButtonRole role;
};

// Left to right as the player reads them; "Schließen" rejects, so Escape and
// the close button of the window choose it.
constexpr std::array<ChoiceButton, 5> kButtons = {{
    {"Zurück bis lösbar", StuckChoice::BackToSolvable, QMessageBox::AcceptRole},
    {"Mischen", StuckChoice::Shuffle, QMessageBox::AcceptRole},
    {"Gleiches Spiel neu", StuckChoice::SameGame, QMessageBox::AcceptRole},
    {"Neues Spiel", StuckChoice::NewGame, QMessageBox::AcceptRole},
    {"Schließen", StuckChoice::Close, QMessageBox::RejectRole},
}};

const char* const kChoiceProperty = "kelmarStuckChoice";

} // namespace

std::unique_ptr<QMessageBox> CreateStuckDialog(QWidget* owner) {
    auto dialog = std::make_unique<QMessageBox>(owner);
    dialog->setWindowTitle(QStringLiteral("Kelmar"));
    dialog->setIcon(QMessageBox::Question);
    dialog->setText(QString::fromUtf8("Keine Züge mehr möglich. Wie soll es weitergehen?"));
    for (const ChoiceButton& b : kButtons) {
        QPushButton* button = dialog->addButton(QString::fromUtf8(b.text), b.role);
        button->setProperty(kChoiceProperty, static_cast<int>(b.choice));
        if (b.choice == StuckChoice::BackToSolvable) {
            dialog->setDefaultButton(button);
        }
        if (b.choice == StuckChoice::Close) {
            dialog->setEscapeButton(button);
        }
    }
    return dialog;
}

StuckChoice StuckChoiceOf(const QMessageBox& dialog) {
    const QAbstractButton* clicked = dialog.clickedButton();
    if (clicked == nullptr) {
        return StuckChoice::Close;
    }
    const QVariant choice = clicked->property(kChoiceProperty);
    return choice.isValid() ? static_cast<StuckChoice>(choice.toInt()) : StuckChoice::Close;
}

StuckChoice AskStuckChoice(QWidget* owner) {
    const std::unique_ptr<QMessageBox> dialog = CreateStuckDialog(owner);
    if (owner != nullptr) {
        // Centred over the lower third of the window, so the "VERLOREN!"
        // banner in the middle of the board stays in sight.
        dialog->adjustSize();
        const QRect window = owner->frameGeometry();
        dialog->move(window.center().x() - dialog->width() / 2,
                     window.top() + window.height() * 2 / 3 - dialog->height() / 2);
    }
    dialog->exec();
    return StuckChoiceOf(*dialog);
}

} // namespace kelmar
