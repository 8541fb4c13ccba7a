#include "app/symbols.h"

#include <QFile>

// Resources of a static library must be registered by name, outside any
// namespace.
static void initIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace kelmar {

namespace {
void ensureResources() {
    static const bool done = (initIconResources(), true);
    (void)done;
}
} // namespace

std::array<QIcon, 20> LoadSymbols() {
    ensureResources();
    std::array<QIcon, 20> symbols;
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        const QString path =
            QStringLiteral(":/icons/symbol-%1.png").arg(i, 2, 10, QLatin1Char('0'));
        if (QFile::exists(path)) {
            symbols[i] = QIcon(path);
        }
    }
    return symbols;
}

QIcon WindowIcon() {
    ensureResources();
    QIcon icon;
    // Title bars and task switchers use these sizes; the larger pictures are
    // in the installed icon theme. Each size here is kept decoded and sent to
    // the X server, so 128 and 256 would cost about 1 MB for nothing.
    for (int size : {16, 32, 48, 64}) {
        const QString path = QStringLiteral(":/icons/kelmar-%1.png").arg(size);
        if (QFile::exists(path)) {
            icon.addFile(path, QSize(size, size));
        }
    }
    return icon;
}

} // namespace kelmar
