// Fuzz target for the .icns reader, which reads untrusted icon files from application
// bundles. Besides not crashing, every picture it returns must lie inside the data and
// start with the PNG signature.
//
// With -DVARNOLL_FUZZ=ON and clang the target is a libFuzzer binary:
//   icns-fuzz -max_total_time=60 CORPUS_DIR
// Otherwise it is a plain driver that reads the files given as arguments, or, with no
// arguments, a fixed-seed stream of mutations of a small valid container.
#include "core/BundleIcon.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView view(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const auto pictures = Morvane::icnsPngPictures(view)) {
        for (const Morvane::IcnsPicture &p : *pictures) {
            if (p.offset < 8 || p.length < 8 || p.offset + p.length > view.size()
                || std::memcmp(view.data() + p.offset, "\x89PNG\r\n\x1a\n", 8) != 0)
                std::abort();
        }
    }
    (void)Morvane::icnsPng(view, 128);
    return 0;
}

#ifndef VARNOLL_LIBFUZZER
#include <fstream>
#include <iterator>

namespace {

QByteArray bigEndian(std::uint32_t v)
{
    const char bytes[] = { char(v >> 24), char(v >> 16), char(v >> 8), char(v) };
    return QByteArray(bytes, 4);
}

QByteArray entry(const char *type, const QByteArray &body)
{
    return QByteArray(type, 4) + bigEndian(std::uint32_t(8 + body.size())) + body;
}

QByteArray seed()
{
    const QByteArray png("\x89PNG\r\n\x1a\n....", 12);
    const QByteArray entries = entry("TOC ", bigEndian(0)) + entry("ic12", png) + entry("ic07", png)
        + entry("ic08", QByteArray("\0\0\0\x0cjP  ", 8));
    return "icns" + bigEndian(std::uint32_t(8 + entries.size())) + entries;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1) {
        for (int i = 1; i < argc; ++i) {
            std::ifstream in(argv[i], std::ios::binary);
            const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(data.data()), data.size());
        }
        return 0;
    }
    const QByteArray start = seed();
    std::mt19937_64 random(20261208);
    long found = 0;
    for (int round = 0; round < 200000; ++round) {
        QByteArray data = start;
        const int edits = 1 + int(random() % 4);
        for (int e = 0; e < edits && !data.isEmpty(); ++e) {
            const auto at = qsizetype(random() % std::uint64_t(data.size()));
            switch (random() % 3) {
            case 0:
                data[at] = char(random());
                break;
            case 1:
                data.remove(at, 1);
                break;
            default:
                data.insert(at, char(random()));
                break;
            }
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(data.constData()), size_t(data.size()));
        if (Morvane::icnsPng(data, 128))
            ++found;
    }
    std::printf("200000 mutated inputs, %ld still gave a picture, no crash\n", found);
    return 0;
}
#endif
