// quorvane-gui: the Quorvane window.
//
//   quorvane-gui [--source DIR] [--dest DIR] [--select N] [--screenshot FILE]
//
// With no options the window opens as the last run left it (its folders,
// clip length and place), or empty the first time. The options do at start
// what the user would do by hand: SOURCE answered with DIR, DEST answered
// with DIR, a click on the Nth file of the list. --screenshot saves a picture
// of the window after that and ends; messages then go to stderr, and the
// exit status is 1 when there was one.

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPixmap>
#include <QSettings>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "ui/main_window.hpp"
#include "ui/window_settings.hpp"
#include "version/version.hpp"

namespace {

// A folder given on the command line, as the folder dialog would give it.
std::string folderArgument(const QString& folder) {
    return QDir::toNativeSeparators(QFileInfo(folder).absoluteFilePath()).toStdString();
}

int fail(const QString& message, int status = 1) {
    std::fprintf(stderr, "quorvane-gui: %s\n", qPrintable(message));
    return status;
}

constexpr int kExitUsage = 2;  // a bad command line, as for the command line program

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorvane-gui"));
    QApplication::setApplicationDisplayName(QString::fromLatin1(quorvane::ui::kApplicationTitle));
    QApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));
    QApplication::setOrganizationName(QStringLiteral("Quorvane"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvane"));

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Quorvane cuts Standard MIDI Files short."));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption source(QStringLiteral("source"), QStringLiteral("Start with DIR as the source folder."),
                                    QStringLiteral("DIR"));
    const QCommandLineOption dest(QStringLiteral("dest"), QStringLiteral("Start with DIR as the destination folder."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption select(QStringLiteral("select"),
                                    QStringLiteral("Select the Nth file of the list (1 is the first)."),
                                    QStringLiteral("N"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save a PNG picture of the window to FILE and quit."),
                                        QStringLiteral("FILE"));
    options.addOptions({source, dest, select, screenshot});
    // parse(), not process(): a bad option is exit status 2, not 1.
    if (!options.parse(QApplication::arguments())) return fail(options.errorText(), kExitUsage);
    if (!options.positionalArguments().isEmpty()) {
        return fail(QStringLiteral("unexpected argument \"%1\"").arg(options.positionalArguments().first()),
                    kExitUsage);
    }
    if (options.isSet(QStringLiteral("help"))) options.showHelp(0);
    if (options.isSet(QStringLiteral("version"))) options.showVersion();
    // A picture is taken with nobody at the screen: nothing may wait for a click.
    const bool unattended = options.isSet(screenshot);

    std::unique_ptr<quorvane::ui::MainWindow> window;
    try {
        window = std::make_unique<quorvane::ui::MainWindow>();
    } catch (const std::exception& error) {
        if (unattended) return fail(QStringLiteral("the window cannot be built: %1").arg(error.what()));
        QMessageBox::critical(
            nullptr, QString::fromLatin1(quorvane::ui::kApplicationTitle),
            QStringLiteral("The window cannot be built: %1").arg(QString::fromStdString(error.what())));
        return 1;
    }

    // The folders, clip length and place of the last run, in the platform's
    // usual place; the options below come on top. A picture taken unattended
    // shows the window as it starts for everybody, and remembers nothing.
    QSettings store;
    quorvane::ui::WindowSettings settings(store);
    if (!unattended) {
        settings.restore(*window);
        QObject::connect(&app, &QCoreApplication::aboutToQuit, [&] { settings.save(*window); });
    }

    using quorvane::ui::layout::Button;
    auto& folders = window->ownServices()->folders;
    auto& messages = window->ownServices()->messages;
    messages.toStandardError = unattended;
    if (options.isSet(source)) {
        folders.presetAnswers.push_back(folderArgument(options.value(source)));
        window->runCommand(Button::Source);
    }
    if (options.isSet(dest)) {
        folders.presetAnswers.push_back(folderArgument(options.value(dest)));
        window->runCommand(Button::Dest);
    }
    window->show();
    if (options.isSet(select)) {
        bool ok = false;
        const int n = options.value(select).toInt(&ok);
        if (!ok || n < 1 || n > window->list().count()) {
            return fail(QStringLiteral("--select %1: the list has %2 files")
                            .arg(options.value(select))
                            .arg(window->list().count()));
        }
        window->chooseRow(n - 1);
    }

    if (options.isSet(screenshot)) {
        // The picture shows the chosen song measured, however long it is.
        while (window->model().measuring()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QApplication::processEvents();
        const QString file = options.value(screenshot);
        if (!window->grab().save(file, "PNG")) return fail(QStringLiteral("cannot write %1").arg(file));
        return messages.shown > 0 ? 1 : 0;  // the picture is saved either way
    }
    return QApplication::exec();
}
