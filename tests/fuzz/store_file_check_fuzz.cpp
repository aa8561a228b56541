// SPDX-License-Identifier: MIT
// A store file as a user's editor, a crash or another copy may have left it.
#include <QByteArray>
#include <cstdint>
#include <cstdlib>

#include "fuzz_check.h"
#include "runtime/qt/store/store_file_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const bool kept = quorvel::runtime::qt::lossOnRewrite(content).isEmpty();
    // The same text gets the same judgement: nothing in the check depends on the run.
    check(kept == quorvel::runtime::qt::lossOnRewrite(content).isEmpty());
    return 0;
}
