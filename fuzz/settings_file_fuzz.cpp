// The settings file: read, the window placed from it on two screen layouts,
// written back and read again to the same settings.

#include <QList>
#include <QRect>

#include "FuzzSupport.h"
#include "app/SettingsFile.h"
#include "app/WindowPlacement.h"

namespace {

bool SameSettings(const ProgramSettings& a, const ProgramSettings& b) {
    return a.Top == b.Top && a.Left == b.Left && a.Width == b.Width && a.Height == b.Height && a.Rate == b.Rate &&
           a.Amplifier == b.Amplifier && a.Average == b.Average && a.Data == b.Data && a.Rate2 == b.Rate2 &&
           a.Data2 == b.Data2 && a.Arrangement == b.Arrangement && a.Auxin == b.Auxin && a.Port == b.Port &&
           a.Device == b.Device && a.Merge == b.Merge;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ScratchFile file("settings.ini");
    file.Write(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const ProgramSettings settings = ReadSettingsFile(file.path);

    static const QList<QList<QRect>> layouts = {
        {QRect(0, 0, 1920, 1080)},
        {QRect(-2560, -360, 2560, 1440), QRect(0, 0, 1920, 1080)},
    };
    for (const QList<QRect>& screens : layouts) {
        const QRect placed = StoredPlacement(settings.Top, settings.Left, settings.Width, settings.Height, screens);
        if (!placed.isNull()) FUZZ_REQUIRE(placed.width() >= MinimumWindowSize.width());
    }

    FUZZ_REQUIRE(WriteSettingsFile(file.path, settings));
    FUZZ_REQUIRE(SameSettings(ReadSettingsFile(file.path), settings));
    return 0;
}
