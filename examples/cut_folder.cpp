// cut_folder: cuts every MIDI song of FOLDER to a clip of SECONDS into DEST
// and logs them in FOLDER/Quorvane.log, as `quorvane cut-all FOLDER
// --seconds SECONDS --dest DEST` does, through libquorvane.
//
//   cut_folder FOLDER SECONDS DEST

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

#include <quorvane/core/cut_service.hpp>
#include <quorvane/core/error_messages.hpp>

namespace {

// Prints a line for each file once it is cut or given up on.
class PrintOutcomes : public quorvane::BatchObserver {
public:
    void fileStarted(const quorvane::BatchProgress&) override {}
    void fileFinished(const quorvane::BatchProgress& progress) override {
        std::cerr << '[' << progress.position << '/' << progress.count << "] " << progress.fileName
                  << (progress.failure.empty() ? " -> " + progress.cutFilePath : ": " + progress.failure) << '\n';
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: cut_folder FOLDER SECONDS DEST\n";
        return 2;
    }
    quorvane::BatchPlan plan;
    plan.folder = argv[1];
    plan.seconds = std::strtod(argv[2], nullptr);
    plan.dest = argv[3];
    if (!(plan.seconds > 0)) {
        std::cerr << "SECONDS must be above 0\n";
        return 2;
    }
    try {
        plan.songs = quorvane::listSongs(plan.folder);
        if (plan.songs.empty()) {
            std::cerr << "no MIDI files in " << plan.folder << '\n';
            return 0;
        }
        PrintOutcomes observer;
        const quorvane::BatchReport report = quorvane::cutFolder(plan, quorvane::coreCount(), observer);
        if (!report.message().empty()) std::cerr << report.message() << '\n';
        if (report.complete) std::cout << plan.logPath() << '\n';
        return report.message().empty() ? 0 : 1;
    } catch (...) {
        std::cerr << quorvane::describeError(std::current_exception(), {}) << '\n';
        return 1;
    }
}
