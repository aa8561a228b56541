// SPDX-License-Identifier: MIT
// How long each of a burst of bookmark launches holds the event loop: 1,000 opens through the
// program's shell, and the same through QProcess::startDetached (how it was done before), each
// timed; the descriptors open after the burst (an opener that hangs holds one at most while it
// is watched); then how many openers are still unreaped once the loop has run a while.
//   quorvel_launch_storm [OPENER]   (default /bin/true)
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "runtime/qt/qt_shell.h"

namespace {

void report(const char* what, const std::function<void(const std::string&)>& open) {
    std::vector<double> ms;
    QElapsedTimer all;
    all.start();
    for (int i = 0; i < 1000; ++i) {
        QElapsedTimer one;
        one.start();
        open("http://www.quorvel.example/" + std::to_string(i));
        ms.push_back(static_cast<double>(one.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents();
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-22s per launch: median %.3f ms, 99th %.3f ms, max %.3f ms; 1,000 in %lld ms\n",
                what, ms[500], ms[990], ms.back(), all.elapsed());
}

int openDescriptors() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).count()) - 2;
}

int unreapedChildren() {
    QFile children(QStringLiteral("/proc/self/task/%1/children").arg(getpid()));
    children.open(QIODevice::ReadOnly);
    return static_cast<int>(children.readAll().split(' ').count() - 1);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString opener = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/bin/true");
    {
        quorvel::runtime::qt::QtShell shell(opener);
        const int before = openDescriptors();
        report("QtShell::open", [&shell](const std::string& url) { shell.open(url); });
        std::printf("%-22s open descriptors: %d before the burst, %d after it\n", "", before,
                    openDescriptors());
        QElapsedTimer wait;
        wait.start();
        while (unreapedChildren() > 0 && wait.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        }
        std::printf("%-22s children left unreaped after %lld ms of the event loop: %d\n", "",
                    wait.elapsed(), unreapedChildren());
    }
    report("QProcess::startDetached", [&opener](const std::string& url) {
        QProcess::startDetached(opener, {QString::fromStdString(url)});
    });
    return 0;
}
