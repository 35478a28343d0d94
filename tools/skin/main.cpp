// tarvik-skin: paints every picture of the window skin and writes them with their resource list.
//
//   tarvik-skin <output folder> <page-layout table of language 1> [<icon folder>]
//   (the repository's copies: resources/skin, resources/layout/org1.ini and resources/icons; the
//   target tarvik_skin_update runs exactly that)
//
// Design note: the grid
//   Window 1030 x 662, a chamfered outline 4 px inside the picture; everything outside it is the
//   see-through key colour (128, 0, 0) and no pixel inside is.
//   Header band y 4..90: wordmark at the left, the web badge dock at x 362..528 (the general table puts
//   the 150 x 80 badge at 370, 5), language buttons from x 700 at y 34, exit at the top right.
//   Sidebar x 16..150 from y 96: navigation entries 92 x 27 at x 37, pitch 32, grouped under headings
//   drawn 9 px above the first entry of each group; a disabled entry is parked at the end of its group
//   so that hiding it leaves no hole; the two default buttons at the bottom.
//   Page area x 158..1014, y 96..646 (856 x 550): every page picture covers exactly this rectangle and
//   repeats its frame, so switching pages never shifts an edge. Inside it, section panels keep 12 px
//   from the frame and 12 px from each other; a section's heading takes its top 34 px.
//   Rows: marker rows on 42-48 px pitch (the 40 px colour frames set the DPI pitch), edits 24 px high,
//   bars sit in a 22 px groove; captions of markers start 22-26 px right of the marker.
//   Captions that no language table carries (section titles, marker captions, lighting effect names)
//   are painted here, at the positions the layout table gives the controls, so table and pictures
//   cannot drift apart: change a coordinate, run the tool, and the picture follows.

#include "Canvas.h"
#include "SkinLayout.h"
#include "SkinPainter.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3 && args.size() != 4) {
        std::fprintf(stderr, "usage: tarvik-skin <output folder> <org1.ini> [<icon folder>]\n");
        return 2;
    }
    QString error;
    tarvik::skin::SkinLayout layout;
    if (!tarvik::skin::loadSkinFonts(&error) || !layout.load(args.at(2), &error)) {
        std::fprintf(stderr, "tarvik-skin: %s\n", qPrintable(error));
        return 1;
    }
    const tarvik::skin::SkinPainter painter(layout);
    if (!tarvik::skin::writeSkin(painter, args.at(1), &error)) {
        std::fprintf(stderr, "tarvik-skin: %s\n", qPrintable(error));
        return 1;
    }
    if (args.size() == 4 && !tarvik::skin::writeIcons(painter, args.at(3), &error)) {
        std::fprintf(stderr, "tarvik-skin: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("tarvik-skin: %lld pictures written to %s\n", qlonglong(painter.catalogue().size()),
                qPrintable(args.at(1)));
    return 0;
}
