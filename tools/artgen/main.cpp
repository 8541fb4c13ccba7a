// kelmar_artgen: draws the game's pictures at build time.
//
//   kelmar_artgen --game-dir DIR        KLTiles.bmp, KLTFrame.bmp, KLBack.bmp, KLMRLogo.jpg
//   kelmar_artgen --icons DIR           the tool-bar symbols and the program icons (PNG)
//   kelmar_artgen --svg FILE            the program icon as SVG
//   kelmar_artgen --contact-sheet FILE  a review picture of all of it (PNG)
//   kelmar_artgen --format-sheet FILE   every face in the seven pixel formats,
//                                       plain and highlighted (PNG)
//   kelmar_artgen --measure-highlight SHEET
//                                       prints the mean colour difference
//                                       (CIE76) the Device highlight makes on
//                                       the faces of a KLTiles picture
//   kelmar_artgen --pictures DIR        the game folder the look review reads
//   kelmar_artgen --look-review DIR     review pictures and figures of every
//                                       tile set and felt (see look_review.h)
//
// Options may be combined. Needs no display: it always runs on the
// offscreen platform.
#include "art_files.h"
#include "look_review.h"

#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

namespace {

int usage() {
    std::fputs(
        "usage: kelmar_artgen [--game-dir DIR] [--icons DIR] [--svg FILE] [--contact-sheet FILE]\n"
        "                     [--format-sheet FILE] [--measure-highlight SHEET]\n"
        "                     [--pictures DIR] [--look-review DIR]\n",
        stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments().mid(1);
    if (args.isEmpty() || args.size() % 2 != 0)
        return usage();
    QString pictures = QStringLiteral(".");
    for (qsizetype i = 0; i < args.size(); i += 2) {
        const QString& option = args[i];
        const QString& value = args[i + 1];
        QString error;
        if (option == QLatin1String("--game-dir"))
            error = kelmar::art::writeGameFiles(value);
        else if (option == QLatin1String("--icons"))
            error = kelmar::art::writeIcons(value);
        else if (option == QLatin1String("--svg"))
            error = kelmar::art::writeAppIconSvg(value);
        else if (option == QLatin1String("--contact-sheet"))
            error = kelmar::art::writeContactSheet(value);
        else if (option == QLatin1String("--format-sheet"))
            error = kelmar::art::writeFormatSheet(value);
        else if (option == QLatin1String("--measure-highlight"))
            error = kelmar::art::printHighlightDifference(value);
        else if (option == QLatin1String("--pictures"))
            pictures = value;
        else if (option == QLatin1String("--look-review"))
            error = kelmar::art::writeLookReview(pictures, value);
        else
            return usage();
        if (!error.isEmpty()) {
            std::fprintf(stderr, "kelmar_artgen: %s\n", qPrintable(error));
            return 1;
        }
    }
    return 0;
}
