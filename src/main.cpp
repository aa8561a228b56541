// SPDX-License-Identifier: MIT
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "program/command_line.h"
#include "program/display_check.h"
#include "program/program.h"
#include "runtime/qt/display_connection.h"
#include "runtime/qt/qt_backend.h"

namespace {

// How long a display server may take to answer before the program says it does not.
constexpr std::chrono::seconds kAnswerBound{2};

}  // namespace

int main(int argc, char** argv) {
    using quorvel::CommandLine;
    const CommandLine command =
        quorvel::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (command.action) {
        case CommandLine::Action::ShowHelp:
        case CommandLine::Action::ShowVersion:
            std::fputs(command.output.c_str(), stdout);
            return 0;
        case CommandLine::Action::Refuse:
            std::fputs(command.output.c_str(), stderr);
            return 2;
        case CommandLine::Action::Run:
            break;
    }

    // Qt would abort with a hint to reinstall, or wait for ever on a server that never answers;
    // one line and a plain failure say it better.
    const quorvel::DisplaySetting display = quorvel::displaySettingOfEnvironment();
    if (const auto problem = quorvel::displayProblem(
            display, {[&display] {
                          return quorvel::runtime::qt::tryX11Display(
                              kAnswerBound, quorvel::silentX11Problem(display));
                      },
                      [] { return quorvel::runtime::qt::tryWaylandDisplay(kAnswerBound); }})) {
        std::fputs(problem->c_str(), stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationVersion(QString::fromLatin1(quorvel::kVersion));
    QApplication::setDesktopFileName(QStringLiteral("quorvel"));

    quorvel::Program* program = nullptr;
    quorvel::runtime::qt::QtBackend backend([&program](std::int16_t unloadMode) {
        if (program != nullptr) {
            program->requestEnd(unloadMode);
        }
    });
    quorvel::Program quorvel(backend.runtime());
    program = &quorvel;
    quorvel.start();
    const int status = backend.exec();
    program = nullptr;
    return status;
}
