#pragma once

#include <gtest/gtest.h>

#include <QListWidget>
#include <QTest>
#include <QWindow>

#include "ui/main_window.hpp"
#include "workflow/scripted_services.hpp"
#include "workflow_fixture.hpp"  // steadySong, TempDir, readBytes

namespace quorvane::test {

// The window, shown on the test platform, with scripted services. Mouse events go through the window system's
// path (the window picks the control under the pointer and keeps a pressed button's events with its control), at
// positions in the window.
class WindowTest : public ::testing::Test {
protected:
    WindowTest() {
        LastFolder().clear();
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    ~WindowTest() override { LastFolder().clear(); }

    QWindow* handle() { return window.windowHandle(); }
    static QPoint centre(const QWidget& control) { return control.geometry().center(); }
    void press(QPoint at, Qt::MouseButton button = Qt::LeftButton) { QTest::mousePress(handle(), button, {}, at); }
    void release(QPoint at, Qt::MouseButton button = Qt::LeftButton) { QTest::mouseRelease(handle(), button, {}, at); }
    void moveTo(QPoint at) { QTest::mouseMove(handle(), at); }
    void click(QPoint at, Qt::MouseButton button = Qt::LeftButton) { QTest::mouseClick(handle(), button, {}, at); }
    void click(const QWidget& control, Qt::MouseButton button = Qt::LeftButton) { click(centre(control), button); }
    void click(ui::layout::Button which) { click(window.button(which)); }
    QPoint rowAt(int row) {  // where the list shows a row, in the window
        QListWidget& list = window.list();
        return list.viewport()->mapTo(&window, list.visualItemRect(list.item(row)).center());
    }
    void openSource() {  // SOURCE, answered with the songs folder
        picker.answers.push_back(songs.path().string());
        click(ui::layout::kSource);
    }
    std::string caption(const ui::Caption& c) const { return c.text().toStdString(); }

    TempDir songs, out;
    ScriptedFolderPicker picker;
    RecordingMessages messages;
    ScriptedEventPump pump;
    NoPause pause;
    PlatformServices services{picker, messages, pump, pause};
    ui::MainWindow window{services};
};

}  // namespace quorvane::test
