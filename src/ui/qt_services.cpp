#include "ui/qt_services.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/files.hpp"

namespace quorvane::ui {

QString dialogStartFolder(const std::string& folder) {
    const std::string nearest = nearestFolder(folder);
    return nearest.empty() ? QDir::homePath() : QString::fromStdString(nearest);
}

std::optional<std::string> DialogFolderPicker::pickFolder(const std::string& title, const std::string& startFolder) {
    if (!presetAnswers.empty()) {
        std::string answer = std::move(presetAnswers.front());
        presetAnswers.pop_front();
        return answer;
    }
    const QString chosen = QFileDialog::getExistingDirectory(owner_, QString::fromStdString(title),
                                                             dialogStartFolder(startFolder), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(chosen).toStdString();
}

void MessageBoxSink::showMessage(const std::string& text) {
    ++shown;
    if (toStandardError) {
        std::fprintf(stderr, "quorvane-gui: %s\n", text.c_str());
        return;
    }
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kApplicationTitle), QString::fromStdString(text),
                    QMessageBox::Ok, owner_);
    box.exec();
}

void ProcessEventsPump::processPendingEvents() {
    QCoreApplication::processEvents();
    // Commands that the events just handled have queued (a click's command)
    // run now, not one batch file later.
    QCoreApplication::sendPostedEvents();
}

void ThreadSleep::sleepMilliseconds(int milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void PumpAfter::processPendingEvents() {
    if (before_) before_();
    inner_.processPendingEvents();
}

}  // namespace quorvane::ui
