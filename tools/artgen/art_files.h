// Writing the generated pictures to disk. Each function returns an empty
// string on success, otherwise a message naming the file that failed.
#pragma once

#include <QString>

namespace kelmar::art {

// KLTiles.bmp, KLTFrame.bmp, KLBack.bmp (24-bit BMP) and KLMRLogo.jpg into
// the folder `gameDir`, which must exist; and the same pictures drawn for
// each larger zoom level, named with the level before the extension
// (KLTiles150.bmp ... KLMRLogo300.jpg); the picture of the sheet layout
// for the help page (Kachelbogen.png); the other tile sets and felts.
QString writeGameFiles(const QString& gameDir);

// symbol-00.png .. symbol-19.png and kelmar-16.png .. kelmar-256.png.
QString writeIcons(const QString& iconDir);

// The program icon as SVG.
QString writeAppIconSvg(const QString& fileName);

// The review picture as PNG.
QString writeContactSheet(const QString& fileName);

// Every face in the seven pixel formats, plain and highlighted, as PNG.
QString writeFormatSheet(const QString& fileName);

// Reads a tile sheet (its zoom level from its width) and prints to standard
// output the mean CIE76 difference of the Device highlight, over the faces
// and along their ring.
QString printHighlightDifference(const QString& sheetFile);

} // namespace kelmar::art
