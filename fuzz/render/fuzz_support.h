// Shared set-up of the render fuzz targets: an offscreen QGuiApplication
// (fonts and picture readers need one) and a private folder for the files.
#pragma once

#include "fuzz/fuzz_check.h"

#include <QGuiApplication>
#include <QString>
#include <QTemporaryDir>

namespace kelmar::fuzz {

inline void StartGui() {
    static int argc = 1;
    static char name[] = "kelmar_fuzz";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
}

// The folder the fuzz target writes its picture files into.
inline const QString& WorkFolder() {
    static QTemporaryDir dir;
    static const QString path = dir.path();
    return path;
}

} // namespace kelmar::fuzz
