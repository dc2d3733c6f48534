// The database window at 1,000 projects: the time to build it (models, grid
// and list filled, first paint) beside the time to load those projects, and
// the time one change (a rename, a hidden flag) takes to show.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// The model's headers before Qt's, whose keyword macros clash with its names.
#include "benchdatabase.h"
#include "imagebuilder.h"
#include "itemrecorder.h"
#include "samplemachine.h"
#include "uBasicProject.h"
#include "uPolyraDatabase.h"

#include <QApplication>
#include <QTabWidget>

#include "databasewindow.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Runs the posted refreshes and the paints they cause.
void settle(QWidget *window_)
{
    QApplication::processEvents();
    window_->repaint();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = 1000;
    const fs::path path = fs::temp_directory_path() / "window_bench.prb";
    if (!writeBenchDatabase(path, n))
        return 1;

    auto *database = new CPolyraDatabase;
    auto start = Clock::now();
    if (!database->loadFromFile(path.string()))
        return 1;
    const double loadMs = msSince(start);
    fs::remove(path);

    start = Clock::now();
    auto *window = new TFDatabase(nullptr, database);
    window->resize(1024, 768);
    window->show();
    window->RefreshView();
    window->grab();
    const double buildMs = msSince(start);

    // Each figure is the median of several runs: one run is at the mercy of
    // the machine's other work.
    const int runs = 21;
    auto median = [&](auto step) {
        std::vector<double> times;
        for (int r = 0; r < runs; ++r) {
            const auto t = Clock::now();
            step(r);
            times.push_back(msSince(t));
        }
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    };
    const double paintMs = median([&](int) { settle(window); });

    // A rename shows at once; a hidden flag through the posted rebuild.
    CBasicProject *project = database->getProject(n / 2);
    const double renameMs = median([&](int r) {
        project->rename(r % 2 ? "Renamed rig" : "Rig renamed again", nullptr);
        settle(window);
    });
    auto toggleHidden = [&](int) {
        project->setHidden(!project->isHidden());
        database->changed();
        settle(window);
    };
    const double hiddenMs = median(toggleHidden);

    window->PageControl1->setCurrentWidget(window->TabProjects);
    settle(window);
    const double hiddenListMs = median(toggleHidden);

    std::printf("%d projects (medians of %d runs)\n", n, runs);
    std::printf("  load                        %8.1f ms\n", loadMs);
    std::printf("  window built, first paint   %8.1f ms  (%.2f of the load)\n", buildMs, buildMs / loadMs);
    std::printf("  one paint, nothing changed  %8.2f ms\n", paintMs);
    std::printf("  rename                      %8.2f ms  (budget 16.7)\n", renameMs);
    std::printf("  hidden flag, Details        %8.2f ms  (budget 16.7)\n", hiddenMs);
    std::printf("  hidden flag, Projects       %8.2f ms  (budget 16.7)\n", hiddenListMs);
    delete window; // deletes the database with it
    return 0;
}
