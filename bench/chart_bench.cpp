// The result chart at 1,000 projects: the time to build its model, to lay
// it out and to paint it once on a picture of window size, against the
// 1/30 s a frame may take. Also the chart at the height the database window
// gives it (35 pixels a project), laid out whole and painted one screen at a
// time as the scroll box shows it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

// The model's headers before Qt's, whose keyword macros clash with its names.
#include "benchdatabase.h"
#include "uBasicProject.h"
#include "uPolyraDatabase.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "chartmodel.h"
#include "chartwidget.h"
#include "resultchart.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The median of several runs: one run is at the mercy of the machine's other work.
template <class Step>
double median(Step step)
{
    const int runs = 21;
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        const auto t = Clock::now();
        step();
        times.push_back(msSince(t));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = 1000;
    const fs::path path = fs::temp_directory_path() / "chart_bench.prb";
    if (!writeBenchDatabase(path, n))
        return 1;
    auto *database = new CPolyraDatabase;
    const bool loaded = database->loadFromFile(path.string());
    fs::remove(path);
    if (!loaded)
        return 1;

    const QSize window(1024, 768);
    const double budget = 1000.0 / 30.0;
    TChart chart;
    chart.resize(window);
    const int testId = 2;
    const int labelWidth = 150 - chartLabelAxisMargin;
    const double buildMs = median([&] { buildResultChart(chart, database, nullptr, testId, 1.0f, false, labelWidth); });
    const TChartModel &model = chart.model();

    QImage image(window, QImage::Format_ARGB32_Premultiplied);
    const double layoutMs = median([&] { layoutChart(model, window, chart.fonts(), &image); });
    const double framedMs = median([&] {
        const TChartLayout layout = layoutChart(model, window, chart.fonts(), &image);
        QPainter painter(&image);
        paintChart(painter, model, layout);
    });

    // As the window sizes it: every visible project 35 pixels high.
    const QSize tall(window.width(), 35 * database->getVisibleProjectCount() + 60);
    const double tallLayoutMs = median([&] { layoutChart(model, tall, chart.fonts(), &image); });
    const TChartLayout tallLayout = layoutChart(model, tall, chart.fonts(), &image);
    int screen = 0;
    const double tallPaintMs = median([&] {
        // One screen of the chart, further down each time.
        const int top = (screen++ * window.height()) % std::max(1, tall.height() - window.height());
        QPainter painter(&image);
        painter.translate(0, -top);
        painter.setClipRect(QRect(0, top, window.width(), window.height()));
        paintChart(painter, model, tallLayout);
    });

    std::printf("%d projects, chart of test %d (medians of 21 runs)\n", n, testId);
    std::printf("  build the chart's model              %8.2f ms\n", buildMs);
    std::printf("  lay out, %dx%d                     %8.2f ms\n", window.width(), window.height(), layoutMs);
    std::printf("  lay out and paint, %dx%d           %8.2f ms  (%.2f of the 1/30 s budget)\n", window.width(),
                window.height(), framedMs, framedMs / budget);
    std::printf("  lay out, %dx%d (scroll height)    %8.2f ms\n", tall.width(), tall.height(), tallLayoutMs);
    std::printf("  paint one screen of it               %8.2f ms  (%.2f of the 1/30 s budget)\n", tallPaintMs,
                tallPaintMs / budget);
    delete database;
    return 0;
}
