// SPDX-License-Identifier: MIT
#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace quorvel::runtime::qt {

// SIGTERM, SIGINT and SIGHUP, delivered on the event loop: the handler only writes the signal's
// number into a pipe that the loop watches. Whatever the loop is doing, the process ends at the
// latest kForcedEndSeconds after the first one, with status 128 + its number.
class TerminationSignals {
  public:
    static constexpr unsigned kForcedEndSeconds = 4;

    explicit TerminationSignals(std::function<void(int)> onSignal);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // A signal has come and the loop has not handled it yet: whatever waits should give up.
    bool pending() const;

  private:
    void drain();

    std::function<void(int)> onSignal_;
    int fds_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace quorvel::runtime::qt
