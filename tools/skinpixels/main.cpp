// Packs the skin pictures as bare pixels for the program to embed beside the PNG files (see
// gui/skin/PackedPicture.h), and writes the resource list of what it packed.
//
//   tarvik-skin-pixels OUT_DIR PICTURE.png...
//
// OUT_DIR receives NAME.pix for each normal-size picture, and skinpixels.qrc.

#include "gui/skin/PackedPicture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>

#include <cstdio>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "tarvik-skin-pixels: cannot write %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tarvik-skin-pixels OUT_DIR PICTURE.png...\n");
        return 2;
    }
    QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "tarvik-skin-pixels: cannot make %s\n", qPrintable(out.path()));
        return 1;
    }
    // What an earlier build packed and this one would not must not linger in the list.
    for (const QString& old : out.entryList({QStringLiteral("*.pix")}, QDir::Files))
        out.remove(old);

    QByteArray list = "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/skin-pixels\">\n";
    for (int i = 2; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        // The pictures drawn at twice the size are for dense screens only: they stay PNG files, which
        // keeps the program's file small.
        if (path.endsWith(QLatin1String("@2x.png")))
            continue;
        QImageReader reader(path, "PNG");
        reader.setAutoDetectImageFormat(false);
        const QImage picture = reader.read();
        if (picture.isNull()) {
            std::fprintf(stderr, "tarvik-skin-pixels: cannot read %s: %s\n", qPrintable(path),
                         qPrintable(reader.errorString()));
            return 1;
        }
        const QString name = QFileInfo(path).completeBaseName() + QStringLiteral(".pix");
        if (!writeFile(out.filePath(name), tarvik::gui::packed::pack(picture)))
            return 1;
        list += "    <file>" + name.toUtf8() + "</file>\n";
    }
    list += "</qresource>\n</RCC>\n";
    return writeFile(out.filePath(QStringLiteral("skinpixels.qrc")), list) ? 0 : 1;
}
