// Runs a fuzz target over the files and folders named on the command line,
// each input once: the seed corpus as a regression run where libFuzzer is
// not available (the g++ sanitizer build).

#include "FuzzSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

namespace {

int runOne(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray input = f.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size()));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    int failures = 0;
    int runs = 0;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg.startsWith(u'-'))
            continue; // libFuzzer's options mean nothing here
        if (QFileInfo(arg).isDir()) {
            QDirIterator it(arg, QDir::Files, QDirIterator::Subdirectories);
            QStringList inputs;
            while (it.hasNext())
                inputs << it.next();
            inputs.sort();
            for (const QString &p : inputs) {
                failures += runOne(p);
                ++runs;
            }
        } else {
            failures += runOne(arg);
            ++runs;
        }
    }
    std::printf("%d inputs run\n", runs);
    return failures == 0 && runs > 0 ? 0 : 1;
}
