// Lines from stimulus programs on the network mark socket, split at LF as
// the listener splits them.

#include <QByteArrayView>

#include "FuzzSupport.h"
#include "network/MarkLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    qsizetype start = 0;
    while (start <= input.size()) {
        qsizetype end = input.indexOf('\n', start);
        if (end < 0) end = input.size();
        const QByteArrayView line = input.sliced(start, end - start);
        const MarkLine mark = ParseMarkLine(line);
        // A mark is exactly "S<n>" or "E<n>", with at most a CR after it.
        FUZZ_REQUIRE((mark.event == 0) != mark.error.isEmpty());
        FUZZ_REQUIRE(mark.event >= -9 && mark.event <= 9);
        if (mark.event != 0) FUZZ_REQUIRE(line.size() == 2 || (line.size() == 3 && line[2] == '\r'));
        start = end + 1;
    }
    return 0;
}
