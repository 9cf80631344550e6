// The window's real platform services: the folder dialog, the message box,
// the event pump and the pause.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <functional>

#include "engine_test_util.hpp"
#include "ui/qt_services.hpp"

namespace quorvane::test {
namespace {

// Hands the modal dialog of type T to `handle` as soon as it is up; `handle`
// closes it.
template <typename T>
void whenModal(std::function<void(T&)> handle) {
    QTimer::singleShot(0, [handle] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog != nullptr) return handle(*dialog);
        ADD_FAILURE() << "no dialog of that type is open";
        if (QWidget* other = QApplication::activeModalWidget()) other->close();  // so that the test goes on
    });
}

TEST(QtServices, TheFolderDialogAsksWithThePromptFromTheLastFolderUnlessAnswersAreGiven) {
    QWidget owner;
    ui::DialogFolderPicker picker(&owner);
    TempDir start;
    whenModal<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Choose Harmara source path...");
        EXPECT_EQ(dialog.directory().absolutePath(), QString::fromStdString(start.path().string()));
        EXPECT_EQ(dialog.parentWidget(), &owner);
        dialog.reject();
    });
    EXPECT_EQ(picker.pickFolder("Choose Harmara source path...", start.path().string() + "/"), std::nullopt);
    // Accepted, it gives the folder it shows.
    whenModal<QFileDialog>([&](QFileDialog& dialog) { static_cast<QDialog&>(dialog).accept(); });
    EXPECT_EQ(picker.pickFolder("t", start.path().string()), start.path().string());

    picker.presetAnswers = {"/first", "/second"};
    EXPECT_EQ(picker.pickFolder("t", ""), "/first");
    EXPECT_EQ(picker.pickFolder("t", "/first/"), "/second");
    EXPECT_TRUE(picker.presetAnswers.empty());
}

TEST(QtServices, MessagesHaveTheProgramsTitleAndAnOkButton) {
    QWidget owner;
    ui::MessageBoxSink sink(&owner);
    whenModal<QMessageBox>([&](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), "Quorvane");
        EXPECT_EQ(box.text(), "CANNOT READ MIDI FILE: x.mid");
        EXPECT_EQ(box.buttons().size(), 1);
        EXPECT_EQ(box.parentWidget(), &owner);
        box.button(QMessageBox::Ok)->click();
    });
    sink.showMessage("CANNOT READ MIDI FILE: x.mid");
}

TEST(QtServices, ThePumpRunsWaitingEventsAndWhatTheyQueueAndThePauseSleeps) {
    ui::ProcessEventsPump pump;
    int steps = 0;
    QObject context;
    QMetaObject::invokeMethod(
        &context,
        [&] {
            ++steps;
            QMetaObject::invokeMethod(
                &context, [&] { ++steps; }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    int refreshed = 0;
    ui::PumpAfter refreshing(pump, [&] { ++refreshed; });
    refreshing.processPendingEvents();
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(refreshed, 1);

    ui::ThreadSleep pause;
    const auto start = std::chrono::steady_clock::now();
    pause.sleepMilliseconds(40);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40));
}

}  // namespace
}  // namespace quorvane::test
