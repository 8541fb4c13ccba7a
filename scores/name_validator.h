// The name field's filter: a player name must survive the trip into the
// Windows-1252 settings file unchanged, on one line.
#pragma once

#include <QValidator>

namespace kelmar {

// Accepts text whose every character Windows-1252 can hold and that has no
// control character (C0, DEL, C1 and the five undefined bytes). Anything else
// is Invalid, so the edit that brought it in is refused whole: nothing typed
// or pasted is silently replaced.
class Windows1252NameValidator : public QValidator {
    Q_OBJECT

public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;

    // The same test for one character.
    static bool acceptsChar(QChar c);
};

} // namespace kelmar
