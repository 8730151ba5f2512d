// libFuzzer target: binds the glyph source to whatever bytes it is given and looks a few characters
// up. Built only with -DHANLABEL_FUZZ=ON and clang (see tests/fuzz/CMakeLists.txt); not part of CI.

#include "core/Failure.h"
#include "glyphs/GlyphSource.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

QTemporaryDir* folder = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The font fallback draws with Qt's font engine. Never destroyed: libFuzzer leaves through
    // exit(), after Qt's own statics are gone.
    new QGuiApplication(*argc, *argv);
    static QTemporaryDir temporary;
    folder = &temporary;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = folder->filePath(QStringLiteral("견고딕24X24.mdb"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();
    hanlabel::GlyphSource source;
    source.bind(path);
    for (const char32_t ch : {U'ㄱ', U'가', U'한', U'글', U'힝'}) {
        try {
            source.lookup(ch);
        } catch (const hanlabel::Failure&) {
        }
    }
    return 0;
}
