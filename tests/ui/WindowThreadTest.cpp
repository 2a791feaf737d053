// Workers reaching the window: their calls run on the window's thread while it runs its loop,
// and closing the window never leaves a worker waiting for a thread that no longer serves it.

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QStatusBar>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "platform/codepage/CodePage.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/ReportList.h"
#include "platform/ui/WindowThreadCall.h"
#include "text/core/TextOps.h"

namespace {

constexpr const char* kSongs = "超级列表框1";

// Runs the window's event loop until `worker` has returned, then joins it.
void RunLoopUntilDone(std::thread::id* workerId, const std::function<void()>& work) {
    QEventLoop loop;
    std::thread worker([&] {
        if (workerId) *workerId = std::this_thread::get_id();
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
}

TEST(WindowThreadCallTest, WorkRunsOnTheWindowThreadAndReturnsItsResult) {
    ui::WindowThreadCall calls;
    const QThread* windowThread = QThread::currentThread();
    std::vector<bool> ranOnWindowThread;
    std::vector<int> results;
    RunLoopUntilDone(nullptr, [&] {
        for (int i = 0; i < 20; ++i) {
            results.push_back(calls.Call(
                [&, i] {
                    ranOnWindowThread.push_back(QThread::currentThread() == windowThread);
                    return i * i;
                },
                -1));
        }
        calls.Call([&] { ranOnWindowThread.push_back(QThread::currentThread() == windowThread); });
    });
    EXPECT_EQ(ranOnWindowThread, std::vector<bool>(21, true));
    ASSERT_EQ(results.size(), 20u);
    EXPECT_EQ(results[7], 49);

    // On the window's thread itself the work runs at once, without the loop.
    EXPECT_EQ(calls.Call([] { return 5; }, -1), 5);
}

TEST(WindowThreadCallTest, CloseReleasesWaitingCallersAndRefusesNewOnes) {
    ui::WindowThreadCall calls;
    std::atomic<bool> queuedWorkRan = false;
    std::atomic<int> result = 0;
    // The worker's call is queued, but this thread does not serve it before closing.
    std::thread worker([&] {
        result = calls.Call(
            [&] {
                queuedWorkRan = true;
                return 1;
            },
            -1);
    });
    // Either the worker is already waiting, or it calls after Close: both return at once.
    calls.Close();
    worker.join();
    EXPECT_EQ(result, -1);

    // Work queued before Close never runs afterwards, and new calls do not queue.
    QCoreApplication::processEvents();
    EXPECT_FALSE(queuedWorkRan);
    std::thread late([&] { result = calls.Call([] { return 2; }, -3); });
    late.join();
    EXPECT_EQ(result, -3);
    // The window's own thread still acts on its window.
    EXPECT_EQ(calls.Call([] { return 4; }, -1), 4);
}

class WindowThreadTest : public testing::Test {
protected:
    void SetUp() override {
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }

    ui::MainWindow window_;
    ui::WindowOps& ops_ = window_.Ops();
    ui::ReportList* songs_ = window_.findChild<ui::ReportList*>(QString::fromUtf8(kSongs));
};

TEST_F(WindowThreadTest, WorkerFillsTheListWhileTheWindowRunsItsLoop) {
    std::thread::id workerId;
    std::vector<Text> readBack;
    RunLoopUntilDone(&workerId, [&] {
        for (int i = 1; i <= 25; ++i) {
            const int row = ops_.AppendRow(kSongs);
            ops_.SetCellText(kSongs, row, 0, text::FromInt(i));
            ops_.SetCellText(kSongs, row, 1, "歌"_gbk + text::FromInt(i));
            ops_.SetCellText(kSongs, row, 3, "等待下载"_gbk);
            ops_.ScrollRowIntoView(kSongs, row);
            readBack.push_back(ops_.CellText(kSongs, row, 1));
            if (i % 10 == 0) {
                ops_.SetStatusText("状态条1",
                                   "第"_gbk + text::FromInt(i / 10) + "页，解析完成"_gbk);
            }
        }
        readBack.push_back(text::FromInt(ops_.RowCount(kSongs)));
    });
    EXPECT_NE(workerId, std::this_thread::get_id());
    ASSERT_EQ(songs_->rowCount(), 25);
    EXPECT_EQ(songs_->Cell(24, 0), QStringLiteral("25"));
    EXPECT_EQ(songs_->Cell(24, 1), QStringLiteral("歌25"));
    EXPECT_EQ(songs_->Cell(0, 3), QStringLiteral("等待下载"));
    ASSERT_EQ(readBack.size(), 26u);
    EXPECT_EQ(readBack[24], "歌25"_gbk);
    EXPECT_EQ(readBack[25], Text("25"));
    EXPECT_EQ(window_.findChild<QStatusBar*>(QStringLiteral("状态条1"))->currentMessage(),
              QStringLiteral("第2页，解析完成"));
}

TEST_F(WindowThreadTest, WorkerMessageIsShownOnTheWindowThread) {
    bool onWindowThread = false;
    Text shown;
    window_.Ops().SetMessagePresenter([&](const Text& text) {
        onWindowThread = QThread::currentThread() == window_.thread();
        shown = text;
    });
    RunLoopUntilDone(nullptr, [&] { ops_.ShowMessage("信息"_gbk); });
    EXPECT_TRUE(onWindowThread);
    EXPECT_EQ(shown, "信息"_gbk);
}

// The owner's closing handler joins a worker that keeps appending rows. The window closes when
// the fifth row is in: either from the event loop between two of the worker's calls, or from
// inside the window thread's handling of the worker's call (so the worker is surely waiting).
void CloseWhileWorkerCalls(ui::MainWindow& window, bool fromInsideACall) {
    ui::WindowOps& ops = window.Ops();
    auto* songs = window.findChild<ui::ReportList*>(QString::fromUtf8(kSongs));
    std::thread worker;
    bool joined = false;
    window.SetHandlers({.closing = [&] {
        worker.join();
        joined = true;
    }});
    QObject::connect(songs->model(), &QAbstractItemModel::rowsInserted, &window, [&] {
        if (songs->rowCount() != 5) return;
        if (fromInsideACall) {
            window.close();
        } else {
            QTimer::singleShot(0, &window, &QWidget::close);
        }
    });

    std::atomic<int> lastRow = -1;
    worker = std::thread([&] {
        // Until the window stops serving: then AppendRow gives -1 at once.
        for (int row = 0; row >= 0;) {
            row = ops.AppendRow(kSongs);
            if (row >= 0) lastRow = row;
        }
        // Later calls do not wait either.
        ops.SetStatusText("状态条1", "x"_gbk);
        EXPECT_EQ(ops.CellText(kSongs, 0, 0), Text());
    });
    while (!joined) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

    EXPECT_FALSE(window.isVisible());
    // No call queued before the close acted after it.
    EXPECT_EQ(songs->rowCount(), 5);
    EXPECT_EQ(lastRow, fromInsideACall ? 3 : 4);
}

TEST_F(WindowThreadTest, ClosingBetweenWorkerCallsDoesNotDeadlock) {
    CloseWhileWorkerCalls(window_, false);
}

TEST_F(WindowThreadTest, ClosingWhileServingAWorkerCallDoesNotDeadlock) {
    CloseWhileWorkerCalls(window_, true);
}

}  // namespace
