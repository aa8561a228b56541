// SPDX-License-Identifier: MIT
#include "runtime/qt/termination_signals.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
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

}  // namespace
}  // namespace quorvel::runtime::qt
