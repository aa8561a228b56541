// SPDX-License-Identifier: MIT
#include "runtime/qt/termination_signals.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <QCoreApplication>

#include <QElapsedTimer>
#include <QThread>
#include <csignal>
#include <vector>

namespace quorvel::runtime::qt {
namespace {

TEST(TerminationSignals, EachSignalReachesTheEventLoopAsItsNumber) {
    std::vector<int> received;
    {
        TerminationSignals watcher([&received](int number) { received.push_back(number); });
        for (int number : {SIGTERM, SIGINT, SIGHUP}) {
            std::raise(number);
        }
        // Nothing runs inside the handler itself.
        EXPECT_TRUE(received.empty());
        QElapsedTimer timer;
        timer.start();
        while (received.size() < 3 && timer.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    }
    EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
}

// A loop that never runs again (stuck on a server's reply, say): SIGTERM still ends the process.
TEST(TerminationSignals, ASignalEndsAProcessWhoseLoopNeverRuns) {
    TerminationSignals watcher([](int) {});
    const pid_t stuck = ::fork();
    ASSERT_GE(stuck, 0);
    if (stuck == 0) {
        for (;;) {
            ::pause();
        }
    }
    ::kill(stuck, SIGTERM);
    QElapsedTimer timer;
    timer.start();
    int status = 0;
    while (::waitpid(stuck, &status, WNOHANG) == 0 && timer.elapsed() < 15000) {
        QThread::msleep(50);
    }
    if (!WIFEXITED(status)) {
        ::kill(stuck, SIGKILL);
        ::waitpid(stuck, nullptr, 0);
        FAIL() << "the process did not end on SIGTERM";
    }
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM);
}

}  // namespace
}  // namespace quorvel::runtime::qt
