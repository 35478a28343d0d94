// One click on a DPI bar: the main window shown (offscreen) on its Advanced page with the defaults
// drawn, the pictures of a bar swapped and the window repainted. Goal: under 5 ms per click.
//
// BM_SwapThirteen_Paint   the worst click: all twelve cells of DPI row 1 and its current-level marker
//                         change picture (Bar2_D <-> Bar2_E, CbS_D <-> CbS_E), then the window handles
//                         the update request at once: the work the repaint manager does for the
//                         click, without its wait for the next frame
// BM_SwapThirteen_EventLoop  the same swaps, then the event loop runs until the marker has been
//                         painted: wall time includes Qt's frame scheduling, CPU time is the work
// BM_SwapThirteen_Grab    the same swaps, then the whole window rendered with QWidget::grab: an upper
//                         bound that does not depend on how much the repaint manager can skip
// BM_AimStep_Paint        the page's own handler for a bar: AIM DPI cell 3 <-> 9 lit alone (twelve
//                         setPicture calls, two pictures change, the value text changes), then the
//                         update request handled
// BM_DecodeThirteen       thirteen PNG decodes of the bar pictures from the embedded skin: what each
//                         click would cost on top if the skin did not keep decoded pictures
// BM_BareWindowGrab       QWidget::grab of a bare window of the same size, for scale
// BM_DecodeLargePicture   one decode of each full-size picture (background, page pictures): what
//                         start-up pays for every one it loads

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QWidget>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "OffscreenBenchmarks.h"
#include "gui/pages/AdvancedPage.h"
#include "gui/shell/MainWindow.h"
#include "gui/skin/PictureControl.h"
#include "gui/skin/Skin.h"

using namespace tarvik;

namespace {

constexpr int kAdvancedPage = 2;
constexpr int kSteps = 12;
constexpr int kPaintWaitMs = 1000;

// The window-relative region a set of controls covers.
template <typename Controls> QRegion regionOf(QWidget& window, const Controls& controls) {
    QRegion region;
    for (QWidget* control : controls)
        if (control)
            region += QRect(control->mapTo(&window, QPoint(0, 0)), control->size());
    return region;
}

// The repaint manager's work for what the last changes marked dirty, done now instead of at the next
// frame: the update request a click's changes post. (Repainting a region of the window instead would
// paint nothing when the window's own area is covered by opaque pictures and nothing in it changed.)
void paintPendingNow(QWidget& window) {
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(&window, &request);
}

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// The window as the program shows it at start-up without a mouse, opened on the Advanced page.
struct ShownWindow {
    std::unique_ptr<gui::MainWindow> window;
    std::array<gui::PictureControl*, kSteps> cells{};
    gui::PictureControl* marker = nullptr;
    PaintCounter counter;
    QRegion dirty; // what the thirteen controls cover

    ShownWindow() : window(std::make_unique<gui::MainWindow>()) {
        window->show();
        window->openPage(kAdvancedPage);
        QApplication::processEvents();
        for (int k = 1; k <= kSteps; ++k)
            cells[k - 1] = window->findChild<gui::PictureControl*>(QStringLiteral("Img_DPI1_%1").arg(k));
        marker = window->findChild<gui::PictureControl*>(QStringLiteral("Img_DPI1"));
        if (marker)
            marker->installEventFilter(&counter);
        if (complete()) {
            std::vector<QWidget*> all(cells.begin(), cells.end());
            all.push_back(marker);
            dirty = regionOf(*window, all);
        }
    }
    bool complete() const {
        return marker && std::all_of(cells.begin(), cells.end(), [](auto* cell) { return cell != nullptr; });
    }
    // Every cell and the marker take the other picture of their pair.
    void swapThirteen(bool on) {
        const QString cell = on ? QStringLiteral("Bar2_E") : QStringLiteral("Bar2_D");
        for (gui::PictureControl* control : cells)
            control->setPicture(cell);
        marker->setPicture(on ? QStringLiteral("CbS_E") : QStringLiteral("CbS_D"));
    }
};

// Built on first use and gone before the application object.
std::unique_ptr<ShownWindow> g_shown;

ShownWindow& shown() {
    if (!g_shown)
        g_shown = std::make_unique<ShownWindow>();
    return *g_shown;
}

void BM_SwapThirteen_Paint(benchmark::State& state) {
    ShownWindow& s = shown();
    if (!s.complete()) {
        state.SkipWithError("the Advanced page has no DPI row 1");
        return;
    }
    bool on = s.marker->pictureName() != QStringLiteral("CbS_E"); // each click flips the marker
    const int paintsBefore = s.counter.paints;
    for (auto _ : state) {
        s.swapThirteen(on);
        paintPendingNow(*s.window);
        on = !on;
    }
    // Every click must have reached the backing store, or the figure means nothing.
    if (s.counter.paints - paintsBefore < static_cast<int>(state.iterations()))
        state.SkipWithError("the swaps were not painted");
}
BENCHMARK(BM_SwapThirteen_Paint)->Unit(benchmark::kMicrosecond);

void BM_SwapThirteen_EventLoop(benchmark::State& state) {
    ShownWindow& s = shown();
    if (!s.complete()) {
        state.SkipWithError("the Advanced page has no DPI row 1");
        return;
    }
    bool on = s.marker->pictureName() != QStringLiteral("CbS_E"); // each click flips the marker
    for (auto _ : state) {
        const int before = s.counter.paints;
        s.swapThirteen(on);
        QElapsedTimer waited;
        waited.start();
        while (s.counter.paints == before && waited.elapsed() < kPaintWaitMs)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, kPaintWaitMs);
        if (s.counter.paints == before) {
            state.SkipWithError("the swaps were not painted");
            break;
        }
        on = !on;
    }
}
BENCHMARK(BM_SwapThirteen_EventLoop)->Unit(benchmark::kMicrosecond);

void BM_SwapThirteen_Grab(benchmark::State& state) {
    ShownWindow& s = shown();
    if (!s.complete()) {
        state.SkipWithError("the Advanced page has no DPI row 1");
        return;
    }
    bool on = s.marker->pictureName() != QStringLiteral("CbS_E"); // each click flips the marker
    for (auto _ : state) {
        s.swapThirteen(on);
        const QPixmap frame = s.window->grab();
        benchmark::DoNotOptimize(frame.cacheKey());
        on = !on;
    }
}
BENCHMARK(BM_SwapThirteen_Grab)->Unit(benchmark::kMicrosecond);

void BM_AimStep_Paint(benchmark::State& state) {
    ShownWindow& s = shown();
    auto* page = qobject_cast<gui::AdvancedPage*>(s.window->page(kAdvancedPage));
    if (!page) {
        state.SkipWithError("the Advanced page is not built");
        return;
    }
    std::vector<QWidget*> bar;
    for (int k = 1; k <= kSteps; ++k)
        bar.push_back(page->findChild<QWidget*>(QStringLiteral("Img_AIMDPI_%1").arg(k)));
    bar.push_back(page->findChild<QWidget*>(QStringLiteral("lbl_AIMDPIValue")));
    const QRegion dirty = regionOf(*s.window, bar);
    int step = 3;
    for (auto _ : state) {
        page->setAimStep(step);
        paintPendingNow(*s.window);
        step = step == 3 ? 9 : 3;
    }
}
BENCHMARK(BM_AimStep_Paint)->Unit(benchmark::kMicrosecond);

void BM_DecodeThirteen(benchmark::State& state) {
    if (!gui::Skin::contains(QStringLiteral("Bar2_E"))) { // also registers the embedded skin
        state.SkipWithError("the skin has no Bar2_E");
        return;
    }
    for (auto _ : state) {
        for (int i = 0; i < kSteps; ++i) {
            QImage picture(i % 2 ? QStringLiteral(":/skin/Bar2_E.png") : QStringLiteral(":/skin/Bar2_D.png"),
                           "PNG");
            benchmark::DoNotOptimize(picture.constBits());
        }
        QImage marker(QStringLiteral(":/skin/CbS_E.png"), "PNG");
        benchmark::DoNotOptimize(marker.constBits());
    }
}
BENCHMARK(BM_DecodeThirteen)->Unit(benchmark::kMicrosecond);

void BM_BareWindowGrab(benchmark::State& state) {
    QWidget bare;
    bare.resize(1030, 662);
    bare.show();
    QApplication::processEvents();
    for (auto _ : state) {
        const QPixmap frame = bare.grab();
        benchmark::DoNotOptimize(frame.cacheKey());
    }
}
BENCHMARK(BM_BareWindowGrab)->Unit(benchmark::kMicrosecond);

void BM_DecodeLargePicture(benchmark::State& state, const char* file) {
    gui::Skin::contains(QStringLiteral("L1_BackGround")); // registers the embedded skin
    const QString path = QStringLiteral(":/skin/%1.png").arg(QLatin1String(file));
    for (auto _ : state) {
        QImage picture(path, "PNG");
        if (picture.isNull()) {
            state.SkipWithError("no such picture");
            break;
        }
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK_CAPTURE(BM_DecodeLargePicture, L1_BackGround, "L1_BackGround")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DecodeLargePicture, L1_Back1, "L1_Back1")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DecodeLargePicture, L1_Back2, "L1_Back2")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DecodeLargePicture, L1_Back3, "L1_Back3")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DecodeLargePicture, L1_Back4, "L1_Back4")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DecodeLargePicture, L1_Back5, "L1_Back5")->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return tarvik::bench::runOffscreenBenchmarks(argc, argv, [] { g_shown.reset(); });
}
