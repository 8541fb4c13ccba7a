#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <gtest/gtest.h>

namespace {

QByteArray helpBytes() {
    QFile file(QStringLiteral(KELMAR_ASSETS_DIR "/Kelmar.htm"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The page as a reader sees it: tags dropped, entities and spaces folded.
QString visibleText() {
    QString text = QString::fromUtf8(helpBytes());
    text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text.simplified();
}

TEST(HelpPage, IsUtf8AndSaysSo) {
    const QByteArray bytes = helpBytes();
    ASSERT_FALSE(bytes.isEmpty());
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    EXPECT_FALSE(decoder.hasError());
    EXPECT_TRUE(text.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    EXPECT_TRUE(text.contains(QStringLiteral("lang=\"de\"")));
}

// Opened offline by whatever viewer the desktop has: nothing may be fetched
// from elsewhere, and no address is invented. Pictures are PNG files the
// build puts beside the page.
TEST(HelpPage, NeedsNothingFromOutside) {
    QString page = QString::fromUtf8(helpBytes());
    page.remove(QRegularExpression(QStringLiteral("<img src=\"[A-Za-z]+\\.png\"")));
    for (const char* banned : {"http:", "https:", "src=", "@import", "url(", "mailto:", "@"})
        EXPECT_FALSE(page.contains(QLatin1String(banned), Qt::CaseInsensitive)) << banned;
}

// Every command the window offers, with the caption the menu shows (access
// keys removed), its tool-bar hint and its shortcut.
TEST(HelpPage, ExplainsEveryCommandByItsCaptionAndShortcut) {
    const QString text = visibleText();
    const char* const expected[] = {
        // menus and their items
        "Datei", "Neues Spiel", "Spiel Laden ...", "Spiel Speichern", "Speichern unter ...",
        "Beenden", "Rückgängig", "Wiederholen", "Hinweis", "Pause", "Optionen",
        "Unlösbare Spiele verhindern", "Pixelformat", "Render-Zeiten anzeigen",
        "Neuzeichnen erzwingen", "Größe", "Vergrößern", "Verkleinern", "Vollbild", "Hilfe anzeigen",
        "Bestenliste zeigen ...", "Info ...", "Kacheln ...", "Hintergrund ...", "Eigene Farbe ...",
        // pixel formats
        "Automatisch / Optimal", "32 Bit (TrueColor)", "24 Bit (TrueColor 16.7M)",
        "16 Bit (HiColor 65K)", "15 Bit (HiColor 32K)", "8 Bit (256 Farben)", "4 Bit (16 Farben)",
        // tool-bar hints
        "Neues Spiel beginnen", "Spielstand laden", "Spielstand speichern", "Hinweis geben",
        "Letzten Zug rückgängig machen", "Letzten Zug zurückholen", "Pause-Modus",
        // shortcuts
        "Strg+N", "Strg+L", "Strg+S", "Strg+Q", "Strg+Z", "Strg+Y", "Strg+H", "Strg+P", "F1",
        "Strg++", "Strg+-", "F11", "300 %",
        // files, texts on screen and the clock
        "QuickSave.klmr", ".klm", "Kelmar.ini", "GEWONNEN!", "VERLOREN!", "KEINE WEITEREN ZÜGE!",
        "zehn Sekunden", "Mr. Shy", "Kelmar-Bestenliste", "Kann Hilfe nicht aufrufen"};
    for (const char* item : expected)
        EXPECT_TRUE(text.contains(QString::fromUtf8(item))) << item;
}

} // namespace
