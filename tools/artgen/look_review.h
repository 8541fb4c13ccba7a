// Review pictures and figures of every tile set and felt.
#pragma once

#include <QString>

namespace kelmar::art {

// Into `outDir`, for each tile set NAME: formats-NAME.png (its faces and a
// felt in the seven pixel formats, plain and highlighted),
// formats-NAME-protan.png and formats-NAME-deutan.png (the same as a
// red-green blind eye sees it), and board-NAME.png and board-NAME-225.png
// (a dealt board composed by the game's renderer from the pictures in
// `gameDir`, with one tile selected; the second at the scale of a
// 1920 x 1080 screen), felt-NAME.png for each felt, and sheet-layout.png
// (makeSheetLayoutPicture). Prints per set the
// highlight's mean colour difference in every format and at every level,
// and how few pixels tell the closest two kinds apart by luminance alone
// (pixelsApartInLuminance), as drawn and as seen with protanopia and
// deuteranopia.
QString writeLookReview(const QString& gameDir, const QString& outDir);

} // namespace kelmar::art
