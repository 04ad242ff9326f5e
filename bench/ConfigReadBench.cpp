// Reading a configuration file and asking for every entry once, beside QSettings reading the same
// entries from an INI file, on 1,000, 10,000 and 100,000 entries.
#include "bench/BenchSupport.h"
#include "settings/CConfReaderAndWriter.h"

#include <QFile>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

const std::vector<int> kSizes = {1000, 10000, 100000};

std::string nameOf(int i) {
    return "entry" + std::to_string(i);
}

std::string valueOf(int i) {
    return "value " + std::to_string(i * 7) + " of the entry";
}

/// The two files of one size: ours with CR LF lines and a comment on every tenth, the INI file with
/// the same names and values in its default section.
struct Files {
    std::string conf;
    std::string ini;
};

const QTemporaryDir& folder() {
    static const QTemporaryDir dir;
    return dir;
}

void writeFile(const std::string& path, const std::string& bytes) {
    QFile file(QString::fromStdString(path));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

const Files& filesOf(int count) {
    static std::map<int, Files> made;
    auto found = made.find(count);
    if (found != made.end())
        return found->second;
    std::string conf, ini = "[General]\n";
    for (int i = 0; i < count; ++i) {
        conf += nameOf(i) + " = " + valueOf(i) + (i % 10 == 0 ? " // every tenth\r\n" : "\r\n");
        ini += nameOf(i) + "=" + valueOf(i) + "\n";
    }
    const std::string base = folder().path().toStdString() + "/" + std::to_string(count);
    Files files{base + ".txt", base + ".ini"};
    writeFile(files.conf, conf);
    writeFile(files.ini, ini);
    return made.emplace(count, files).first->second;
}

void BM_ConfReader(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string path = filesOf(count).conf;
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.push_back(nameOf(i));
    std::string value;
    for (auto _ : state) {
        CConfReaderAndWriter conf;
        if (!conf.readConfiguration(path.c_str()))
            state.SkipWithError("cannot read the file");
        for (const std::string& name : names) {
            conf.getString(name.c_str(), value);
            benchmark::DoNotOptimize(value);
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_QSettings(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string path = filesOf(count).ini;
    const QString qpath = QString::fromStdString(path);
    std::vector<QString> keys;
    for (int i = 0; i < count; ++i)
        keys.push_back(QString::fromStdString(nameOf(i)));
    for (auto _ : state) {
        // Each new QSettings object reads and parses the file again: a round takes as long when the
        // file's modification time is changed before it, so Qt's cache of parsed files saves nothing.
        QSettings settings(qpath, QSettings::IniFormat);
        for (const QString& key : keys) {
            QString value = settings.value(key).toString();
            benchmark::DoNotOptimize(value);
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void sizes(benchmark::internal::Benchmark* b) {
    for (const int size : kSizes)
        b->Arg(size);
    b->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_ConfReader)->Apply(sizes);
BENCHMARK(BM_QSettings)->Apply(sizes);

} // namespace

/// Also remembers the median time per entry of each run, for the growth from the smallest file to
/// the largest.
class EntryReporter : public orvbench::RatioReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        RatioReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
                continue;
            const int size = std::stoi(run.run_name.args);
            nsPerEntry[run.run_name.function_name][size] = run.GetAdjustedCPUTime() * 1e6 / size; // ms -> ns
        }
    }

    std::map<std::string, std::map<int, double>> nsPerEntry; ///< benchmark -> entries -> ns per entry
};

// Prints, from the medians of the repetitions, the time per entry of both readers at each size, how
// many times QSettings takes ours, and how much our time per entry grows from the smallest file to
// the largest (the targets: QSettings slower at every size, a growth of at most 1.5).
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    EntryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& ours = reporter.nsPerEntry["BM_ConfReader"];
    auto& peer = reporter.nsPerEntry["BM_QSettings"];
    for (const int size : kSizes) {
        const std::string arg = "/" + std::to_string(size);
        if (ours.count(size) && peer.count(size))
            std::printf("%6d entries: ours %.1f ns/entry, QSettings %.1f ns/entry\n", size, ours[size],
                        peer[size]);
        reporter.printRatio("QSettings / ours, " + std::to_string(size) + " entries", "BM_QSettings" + arg,
                            "BM_ConfReader" + arg);
    }
    if (ours.count(kSizes.front()) && ours.count(kSizes.back()))
        std::printf("ours, time per entry at %d / at %d entries: %.2f\n", kSizes.back(), kSizes.front(),
                    ours[kSizes.back()] / ours[kSizes.front()]);
    benchmark::Shutdown();
    return 0;
}
