// A store file as a user's editor, a crash or another copy may have left it.
#include <QByteArray>
#include <cstdlib>

#include "fuzz_check.h"
#include "runtime/qt/store_file_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const bool same = quorvel::runtime::qt::rewritesIdentically(content);
    // QSettings' rewrite of its own rewrite is the same: a file judged safe stays safe.
    check(!same || quorvel::runtime::qt::rewritesIdentically(content));
    return 0;
}
