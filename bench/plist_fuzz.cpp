// Fuzz target for the property-list reader, which reads untrusted files from
// application bundles.
//
// With -DVARNOLL_FUZZ=ON and clang the target is a libFuzzer binary:
//   plist-fuzz -max_total_time=60 CORPUS_DIR
// Otherwise it is a plain driver that parses the files given as arguments, or, with no
// arguments, a fixed-seed stream of mutations of a few valid lists.
#include "core/Plist.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <random>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    (void)Morvane::parsePropertyList(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}

#ifndef VARNOLL_LIBFUZZER
#include <fstream>
#include <iterator>

namespace {

QByteArray seedBinary()
{
    // {"CFBundleIdentifier": "a.b"} in bplist00 form.
    QByteArray out("bplist00");
    out.append(char(0xD1)).append(char(1)).append(char(2));
    out.append(char(0x5F)).append(char(0x10)).append(char(18)).append("CFBundleIdentifier");
    out.append(char(0x53)).append("a.b");
    const int table = int(out.size());
    out.append(char(8)).append(char(11)).append(char(32));
    QByteArray trailer(32, 0);
    trailer[6] = 1;
    trailer[7] = 1;
    trailer[15] = 3;
    trailer[31] = char(table);
    return out + trailer;
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
    const QByteArray seeds[] = {
        seedBinary(),
        QByteArray("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key><array><integer>1</integer>"
                   "<real>2.5</real><true/><data>AAEC</data><date>2020-01-01T00:00:00Z</date></array></dict></plist>"),
    };
    std::mt19937_64 random(20261207);
    long parsed = 0;
    for (int round = 0; round < 200000; ++round) {
        QByteArray data = seeds[round % 2];
        const int edits = 1 + int(random() % 4);
        for (int e = 0; e < edits && !data.isEmpty(); ++e) {
            const auto at = qsizetype(random() % std::uint64_t(data.size()));
            switch (random() % 3) {
            case 0: data[at] = char(random()); break;
            case 1: data.remove(at, 1); break;
            default: data.insert(at, char(random())); break;
            }
        }
        if (Morvane::parsePropertyList(data))
            ++parsed;
    }
    std::printf("200000 mutated inputs, %ld still parsed, no crash\n", parsed);
    return 0;
}
#endif
