#include "app/deal_number_dialog.h"

#include "core/numbered_deal.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelmar {

TDealNumberForm::TDealNumberForm(QWidget* owner, uint32_t current) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Spiel Nummer"));
    LPrompt = new QLabel(QString::fromUtf8("Nummer des Spiels (1 bis 999.999.999):"), this);
    InpNumber = new QLineEdit(this);
    // Nine digits at most; the check below decides what counts.
    InpNumber->setMaxLength(12);
    LPrompt->setBuddy(InpNumber);
    if (current >= 1 && current <= kMaxDealNumber) {
        InpNumber->setText(QString::number(current));
        InpNumber->selectAll();
    }
    LRange = new QLabel(QString::fromUtf8("Bitte eine Zahl von 1 bis 999.999.999 eingeben."), this);
    LRange->hide();
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(InpNumber, &QLineEdit::textChanged, this, [this] { InpNumberChange(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LPrompt);
    layout->addWidget(InpNumber);
    layout->addWidget(LRange);
    layout->addWidget(Buttons);
    InpNumberChange();
}

std::optional<uint32_t> TDealNumberForm::number() const {
    return ParseDealNumber(InpNumber->text().toStdString());
}

void TDealNumberForm::InpNumberChange() {
    const bool valid = number().has_value();
    Buttons->button(QDialogButtonBox::Ok)->setEnabled(valid);
    LRange->setVisible(!valid && !InpNumber->text().trimmed().isEmpty());
}

std::optional<uint32_t> AskDealNumber(QWidget* owner, uint32_t current) {
    TDealNumberForm form(owner, current);
    if (form.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return form.number();
}

} // namespace kelmar
