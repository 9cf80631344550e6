// How long a click on a song keeps the window from answering, on the
// offscreen platform with the window's own background work.
//
//   Selection/30KB            one click on a 30 KB song until its length is shown
//   Selection/F0_50MB, _200MB one click on a large Format 0 song; counters:
//     longest_block_ms  longest time the event loop did not run (a 1 ms timer
//                       measures the gaps between its ticks) from the click
//                       until the song's length is shown
//     click_ms          the click itself: at most the wait for a quick result
//     shown_ms          from the click until the length is shown
//     abandon_ms        a click, then the window closed and destroyed at once:
//                       how long that takes while the measure runs
//
// The songs are generated once into a temporary folder, removed at exit.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "platform/files.hpp"
#include "song_generator.hpp"
#include "ui/main_window.hpp"

namespace {

namespace fs = std::filesystem;

fs::path folder;

void writeSong(const std::string& name, std::size_t bytes) {
    quorvane::testing::SongOptions options;
    options.seed = static_cast<std::uint32_t>(bytes);
    options.format = 0;
    options.instrumentTracks = 4;
    options.targetBytes = bytes;
    options.seconds = std::max(20.0, static_cast<double>(bytes) / 2500.0);
    quorvane::testing::writeFile(folder / name, quorvane::testing::generateSong(options).bytes);
}

std::unique_ptr<quorvane::ui::MainWindow> openWindow() {
    auto window = std::make_unique<quorvane::ui::MainWindow>();
    window->ownServices()->messages.toStandardError = true;
    window->ownServices()->folders.presetAnswers.push_back(quorvane::utf8FromPath(folder));
    window->runCommand(quorvane::ui::layout::Source);
    return window;
}

int rowOf(quorvane::ui::MainWindow& window, const char* name) { return window.model().listIndexOf(name); }

void smallSong(benchmark::State& bench) {
    const auto window = openWindow();
    const int rows[] = {rowOf(*window, "A_30KB.MID"), rowOf(*window, "B_30KB.MID")};
    int k = 0;
    for (auto _ : bench) {
        window->chooseRow(rows[k++ % 2]);
        if (window->model().measuring() || window->model().cutPointTime.empty()) bench.SkipWithError("not shown");
    }
}

void largeSong(benchmark::State& bench, const char* name) {
    double longest = 0, shown = 0, abandon = 0, click = 0;
    for (auto _ : bench) {
        auto window = openWindow();
        const int row = rowOf(*window, name);
        QElapsedTimer clock, sinceTick;
        QTimer ticks;
        ticks.setInterval(1);
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            longest = std::max(longest, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
            sinceTick.restart();
        });
        ticks.start();
        QApplication::processEvents();
        clock.start();
        sinceTick.start();
        window->chooseRow(row);
        click = std::max(click, static_cast<double>(clock.nsecsElapsed()) / 1e6);
        while (window->model().measuring()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        shown = std::max(shown, static_cast<double>(clock.nsecsElapsed()) / 1e6);
        QApplication::processEvents();
        longest = std::max(longest, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
        ticks.stop();

        // Another click, then the window goes before the measure is over.
        window->chooseRow(rowOf(*window, "A_30KB.MID"));
        window->chooseRow(row);
        clock.restart();
        window->close();
        window.reset();
        abandon = std::max(abandon, static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    bench.counters["longest_block_ms"] = longest;
    bench.counters["shown_ms"] = shown;
    bench.counters["abandon_ms"] = abandon;
    bench.counters["click_ms"] = click;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    folder = fs::temp_directory_path() / ("quorvane-selection-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    writeSong("A_30KB.MID", 30 * 1024);
    writeSong("B_30KB.MID", 31 * 1024);
    writeSong("F0_50MB.MID", 50u << 20);
    writeSong("F0_200MB.MID", 200u << 20);

    benchmark::RegisterBenchmark("Selection/30KB", smallSong)->Unit(benchmark::kMicrosecond)->UseRealTime();
    for (const char* name : {"F0_50MB.MID", "F0_200MB.MID"}) {
        benchmark::RegisterBenchmark((std::string("Selection/") + name).c_str(),
                                     [name](benchmark::State& b) { largeSong(b, name); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(3);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
