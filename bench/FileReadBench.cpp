// VArchive::readSingleLine over a text file of short lines, beside QFile::readLine on the same file,
// at 1, 4 and 16 MiB to show that the cost grows linearly.
#include "bench/BenchSupport.h"
#include "platform/VArchive.h"
#include "platform/VFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

/// A file of about mebibytes MiB of short CR LF lines, some with a tab, made once per size.
const std::string& textFile(int mebibytes) {
    static QTemporaryDir dir;
    static std::map<int, std::string> files;
    auto found = files.find(mebibytes);
    if (found != files.end())
        return found->second;
    const std::string path = dir.path().toStdString() + "/lines" + std::to_string(mebibytes) + ".txt";
    std::string text;
    const std::size_t size = static_cast<std::size_t>(mebibytes) << 20;
    text.reserve(size + 64);
    for (int i = 0; text.size() < size; ++i)
        text += "key_" + std::to_string(i) + (i % 7 == 0 ? "\t= " : " = ") + "value " +
                std::to_string(i * 31) + "\r\n";
    QFile out(QString::fromStdString(path));
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(text.data(), static_cast<qint64>(text.size())) != qint64(text.size()))
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return files.emplace(mebibytes, path).first->second;
}

void BM_readSingleLine(benchmark::State& state) {
    const std::string& path = textFile(static_cast<int>(state.range(0)));
    std::int64_t bytes = 0;
    for (auto _ : state) {
        VFile file(path, VFile::READ | VFile::SHARE_DENY_NONE);
        VArchive archive(&file, VArchive::LOAD);
        unsigned int bytesRead = 0;
        std::string line;
        std::size_t characters = 0;
        while (archive.readSingleLine(bytesRead, line, false))
            characters += line.size();
        benchmark::DoNotOptimize(characters);
        bytes += bytesRead;
    }
    state.SetBytesProcessed(bytes);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_readSingleLine)
    ->RangeMultiplier(4)
    ->Range(1, 16)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_qfileReadLine(benchmark::State& state) {
    const QString path = QString::fromStdString(textFile(static_cast<int>(state.range(0))));
    std::int64_t bytes = 0;
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot open the text file");
            return;
        }
        std::size_t characters = 0;
        while (!file.atEnd())
            characters += static_cast<std::size_t>(file.readLine().size());
        benchmark::DoNotOptimize(characters);
        bytes += file.size();
    }
    state.SetBytesProcessed(bytes);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_qfileReadLine)
    ->RangeMultiplier(4)
    ->Range(1, 16)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace

// Runs both and prints readSingleLine's throughput as a share of QFile::readLine's on the 16 MiB
// file (the target is at least 0.5).
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    orvbench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("readSingleLine throughput / QFile::readLine throughput (16 MiB)",
                        "BM_qfileReadLine/16", "BM_readSingleLine/16");
    benchmark::Shutdown();
    return 0;
}
