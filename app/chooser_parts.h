// What the picture choosers (layouts, looks) share: the surface their small
// previews are composed on, and the list with OK and Abbrechen under it.
#pragma once

#include "render/board_surface.h"
#include "render/display_image.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QImage>
#include <QListWidget>
#include <QVBoxLayout>

namespace kelmar {

// A board surface that keeps the last picture the renderer presents; status
// and surface texts are not wanted in a preview.
class CapturedSurface final : public BoardSurface {
public:
    void present(const Bitmap& backBuffer) override { picture = BitmapToImage(backBuffer); }
    void setStatusText(const QString&) override {}
    void drawSurfaceText(int, int, const QColor&, const QString&) override {}
    QImage picture;
};

// The list of pictures of a chooser titled `title`, named `objectName`,
// owned by `dialog`: the pictures in rows, fixed in place, their texts
// wrapped under them.
inline QListWidget* ChooserList(QDialog& dialog, const QString& title, const QString& objectName) {
    dialog.setWindowTitle(title);
    auto* list = new QListWidget(&dialog);
    list->setObjectName(objectName);
    list->setViewMode(QListView::IconMode);
    list->setResizeMode(QListView::Adjust);
    list->setMovement(QListView::Static);
    list->setWordWrap(true);
    return list;
}

// Puts `list` into `dialog` with OK and Abbrechen under it; a double click
// on an entry accepts like OK.
inline void AddChooserColumn(QDialog& dialog, QListWidget* list) {
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    auto* column = new QVBoxLayout(&dialog);
    column->addWidget(list);
    column->addWidget(buttons);
}

} // namespace kelmar
