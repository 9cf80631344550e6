#include "ui/qt_services.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <chrono>
#include <cstdio>
#include <thread>

namespace quorvane::ui {

QString dialogStartFolder(const std::string& folder) {
    if (folder.empty()) return QDir::homePath();
    // A folder gone since (a drive taken away) leaves the nearest one above it.
    for (QString path = QDir(QString::fromStdString(folder)).absolutePath();;) {
        if (QFileInfo(path).isDir()) return QDir::toNativeSeparators(path);
        const QString parent = QFileInfo(path).path();
        if (parent == path) return QDir::homePath();
        path = parent;
    }
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
