// The window's real dialogs: the folder picker and the message box.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
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

}  // namespace
}  // namespace quorvane::test
