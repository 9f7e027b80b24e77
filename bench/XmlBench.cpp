// Parses and writes the same in-memory documents with the zel engine and with pugixml,
// tinyxml2 and libxml2, prints the speeds and memory of each, and checks the engine's
// targets against pugixml, each as a ratio with PASS or FAIL, in the XML-compatible mode and in
// the engine's default mode.
//
//   xmlbench [--rounds N] [--reloads N] SHAPE=FILE...
//
// SHAPE is a label (rss-1mb, attributes, ...); a label starting with "rss" is also used for
// the reload check. Speeds are input megabytes (10^6 bytes) per second.
//
// How it measures (glibc's malloc with its default settings, as the editor runs: no mallopt,
// no environment tuning; the process is best pinned to one core, see run.sh):
// - Every figure comes from a fresh child process per engine (which first hands back the free
//   heap memory it inherited, see ReleaseInheritedFreeMemory), and the engines take turns
//   within each round (zel, pugixml, tinyxml2, libxml2, then the next round), so a load
//   change on a shared machine touches every engine alike. Each figure is the median over
//   the rounds, not the best run.
// - cold parse: the first parse in the fresh process (every page of the tree is new).
// - warm parse: the tree is freed and the same text parsed again in the same process,
//   median of three.
// - write: the parsed tree written to text in memory, median of three.
// - tree memory: the rise of resident anonymous memory while parsing (the engine's own copy
//   of the text included; the engine's code pages, which a first parse also brings in, are
//   not the tree's), in a child of its own that first hands back the free heap memory it
//   inherited (malloc_trim), so that no engine parses into memory that is already resident.
// - reload: the same feed parsed and freed over and over in one process, the rise of its peak
//   resident memory after N reads against after one read; also shown for one document object
//   reading the feed again and again, as the editor re-reads its feed after every command.
#include "zelXMLParser2.h"

#include <malloc.h>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <pugixml.hpp>
#include <tinyxml2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <sched.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// One engine: parse the text into a tree it keeps, write that tree to memory.
class Engine {
public:
    virtual ~Engine() = default;
    virtual const char *Name() const = 0;
    // Returns false when the engine rejects the text.
    virtual bool Parse(const std::string &text) = 0;
    // Builds the tree's text in memory and returns its size.
    virtual size_t Write() = 0;
    // Destroys the tree.
    virtual void Free() = 0;
    // Reads the text again into the same document object, as the editor does on reload.
    virtual bool Reload(const std::string &text) = 0;
};

// Timed in the XML-compatible mode, the one the editor reads feeds in, and in the engine's
// default mode.
class ZelEngine : public Engine {
public:
    explicit ZelEngine(bool xmlCompatible) : xmlCompatible_(xmlCompatible) {}
    const char *Name() const override { return xmlCompatible_ ? "zel" : "zel-default"; }
    bool Parse(const std::string &text) override
    {
        doc_ = std::make_unique<TzelXMLParser2>();
        doc_->SetXmlCompatible(xmlCompatible_);
        doc_->SetSourceText(text);
        return doc_->LastError().empty();
    }
    size_t Write() override { return doc_->BuildXmlText().size(); }
    void Free() override { doc_.reset(); }
    bool Reload(const std::string &text) override
    {
        if (!doc_) {
            doc_ = std::make_unique<TzelXMLParser2>();
            doc_->SetXmlCompatible(xmlCompatible_);
        }
        doc_->SetSourceText(text);
        return doc_->LastError().empty();
    }

private:
    const bool xmlCompatible_;
    std::unique_ptr<TzelXMLParser2> doc_;
};

class PugiEngine : public Engine {
public:
    const char *Name() const override { return "pugixml"; }
    bool Parse(const std::string &text) override
    {
        doc_ = std::make_unique<pugi::xml_document>();
        return doc_->load_buffer(text.data(), text.size());
    }
    size_t Write() override
    {
        struct ToString : pugi::xml_writer {
            std::string out;
            void write(const void *data, size_t size) override { out.append(static_cast<const char *>(data), size); }
        } writer;
        doc_->save(writer, "  ");
        return writer.out.size();
    }
    void Free() override { doc_.reset(); }
    bool Reload(const std::string &text) override
    {
        if (!doc_)
            doc_ = std::make_unique<pugi::xml_document>();
        return doc_->load_buffer(text.data(), text.size());
    }

private:
    std::unique_ptr<pugi::xml_document> doc_;
};

class TinyEngine : public Engine {
public:
    const char *Name() const override { return "tinyxml2"; }
    bool Parse(const std::string &text) override
    {
        doc_ = std::make_unique<tinyxml2::XMLDocument>();
        return doc_->Parse(text.data(), text.size()) == tinyxml2::XML_SUCCESS;
    }
    size_t Write() override
    {
        tinyxml2::XMLPrinter printer;
        doc_->Print(&printer);
        return static_cast<size_t>(printer.CStrSize());
    }
    void Free() override { doc_.reset(); }
    bool Reload(const std::string &text) override
    {
        if (!doc_)
            doc_ = std::make_unique<tinyxml2::XMLDocument>();
        return doc_->Parse(text.data(), text.size()) == tinyxml2::XML_SUCCESS;
    }

private:
    std::unique_ptr<tinyxml2::XMLDocument> doc_;
};

class LibXmlEngine : public Engine {
public:
    ~LibXmlEngine() override { Free(); }
    const char *Name() const override { return "libxml2"; }
    bool Parse(const std::string &text) override
    {
        Free();
        doc_ = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                             XML_PARSE_NONET | XML_PARSE_HUGE);
        return doc_ != nullptr;
    }
    size_t Write() override
    {
        xmlChar *memory = nullptr;
        int size = 0;
        xmlDocDumpFormatMemory(doc_, &memory, &size, 1);
        xmlFree(memory);
        return static_cast<size_t>(size);
    }
    void Free() override
    {
        if (doc_)
            xmlFreeDoc(doc_);
        doc_ = nullptr;
    }
    bool Reload(const std::string &text) override { return Parse(text); }

private:
    xmlDocPtr doc_ = nullptr;
};

std::unique_ptr<Engine> MakeEngine(int which)
{
    switch (which) {
    case 0: return std::make_unique<ZelEngine>(true);
    case 1: return std::make_unique<PugiEngine>();
    case 2: return std::make_unique<TinyEngine>();
    case 3: return std::make_unique<LibXmlEngine>();
    default: return std::make_unique<ZelEngine>(false);
    }
}
constexpr int EngineCount = 5;
constexpr int Zel = 0, Pugi = 1, ZelDefault = 4;

// What one child process sends back.
struct Sample {
    bool ok = false;
    double cold = 0;    // seconds, first parse of the process
    double warm = 0;    // seconds, parse after freeing a tree, median of three
    double write = 0;   // seconds, median of three
    size_t written = 0; // bytes of written text
    long treeKb = 0;    // rise of resident memory while parsing
    long peakKb = 0;    // the process's peak resident memory
};

long StatusKb(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0)
            return std::atol(line.c_str() + length + 1);
    return 0;
}

// Runs body in a child process and returns the Sample it sends back.
Sample InChild(const std::function<Sample()> &body)
{
    int channel[2];
    if (pipe(channel) != 0)
        return {};
    std::cout.flush();
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const Sample sample = body();
        const ssize_t sent = write(channel[1], &sample, sizeof sample);
        _exit(sent == sizeof sample ? 0 : 1);
    }
    close(channel[1]);
    Sample sample;
    if (read(channel[0], &sample, sizeof sample) != sizeof sample)
        sample = {};
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return sample;
}

double Seconds(const std::function<void()> &run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The child inherits this process's heap, whose free blocks are already resident (and shared
// with this process until written): memory an engine took from them would not show as a rise,
// and writing to it costs a copy per page. Handing them back first makes every engine start
// alike, whatever shapes ran before.
void ReleaseInheritedFreeMemory() { malloc_trim(0); }

Sample MeasureSpeed(int which, const std::string &text)
{
    return InChild([&] {
        Sample sample;
        std::unique_ptr<Engine> engine = MakeEngine(which);
        ReleaseInheritedFreeMemory();
        sample.cold = Seconds([&] { sample.ok = engine->Parse(text); });
        if (!sample.ok)
            return sample;
        std::vector<double> warm, write;
        for (int run = 0; run < 3; ++run) {
            engine->Free();
            warm.push_back(Seconds([&] { engine->Parse(text); }));
        }
        for (int run = 0; run < 3; ++run)
            write.push_back(Seconds([&] { sample.written = engine->Write(); }));
        sample.warm = Median(warm);
        sample.write = Median(write);
        return sample;
    });
}

Sample MeasureTree(int which, const std::string &text)
{
    return InChild([&] {
        Sample sample;
        std::unique_ptr<Engine> engine = MakeEngine(which);
        ReleaseInheritedFreeMemory();
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = StatusKb("RssAnon:");
        sample.ok = engine->Parse(text);
        sample.treeKb = StatusKb("RssAnon:") - before;
        return sample;
    });
}

// The rise of peak resident memory in a process that reads the text `reads` times (what the
// child inherited from this process is not counted): parsed into a new document after the
// previous one is freed, or (inPlace) read again into the same document object.
Sample MeasureReloads(int which, const std::string &text, int reads, bool inPlace)
{
    return InChild([&] {
        Sample sample;
        std::unique_ptr<Engine> engine = MakeEngine(which);
        ReleaseInheritedFreeMemory();
        std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts afresh from here
        const long before = StatusKb("VmRSS:");
        sample.ok = true;
        for (int read = 0; read < reads; ++read) {
            if (inPlace) {
                sample.ok = engine->Reload(text) && sample.ok;
            } else {
                engine->Free();
                sample.ok = engine->Parse(text) && sample.ok;
            }
        }
        sample.peakKb = StatusKb("VmHWM:") - before;
        return sample;
    });
}

// The whole file in one block of its size.
bool ReadWhole(const std::string &file, std::string &text)
{
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    text.resize(static_cast<size_t>(in.tellg()));
    in.seekg(0);
    return static_cast<bool>(in.read(text.data(), static_cast<std::streamsize>(text.size())));
}

std::string Fixed(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::string Pad(const std::string &text, size_t width)
{
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// The targets' verdicts, printed again together at the end.
struct Verdict {
    std::string line;
    bool pass;
};
std::vector<Verdict> verdicts;

void Target(const std::string &what, double ratio, bool pass, const std::string &detail)
{
    std::string line = what + std::string(what.size() < 44 ? 44 - what.size() : 1, ' ') + Pad(Fixed(ratio, 2), 6) +
                       "x  " + (pass ? "PASS" : "FAIL") + "  " + detail;
    std::cout << "  " << line << "\n";
    verdicts.push_back({line, pass});
}

struct Figures {
    bool ok = true;
    double cold = 0, warm = 0, write = 0, treeKb = 0;
    size_t written = 0;
};

} // namespace

int main(int argc, char **argv)
{
    int rounds = 5;
    int reloads = 30;
    std::vector<std::pair<std::string, std::string>> inputs; // shape, file
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--reloads") == 0 && i + 1 < argc) {
            reloads = std::max(2, std::atoi(argv[++i]));
        } else {
            const std::string argument = argv[i];
            const size_t equals = argument.find('=');
            if (equals == std::string::npos)
                inputs.emplace_back(argument, argument);
            else
                inputs.emplace_back(argument.substr(0, equals), argument.substr(equals + 1));
        }
    }
    if (inputs.empty()) {
        std::cerr << "usage: xmlbench [--rounds N] [--reloads N] SHAPE=FILE...\n";
        return 2;
    }
    xmlInitParser();
    std::cout << "glibc malloc with default settings; every figure the median of " << rounds
              << " interleaved rounds, each engine in a fresh child process per round.\n";
    cpu_set_t cpus;
    if (sched_getaffinity(0, sizeof cpus, &cpus) == 0)
        std::cout << "running on " << CPU_COUNT(&cpus) << " core(s)" << (CPU_COUNT(&cpus) == 1 ? "" : " (not pinned)")
                  << "\n";

    // Every text is read up front in one block of its exact size and kept to the end. glibc
    // raises its mmap threshold each time a mapped block is freed, and children inherit it: a
    // text freed between shapes would change how every later child, of every engine, allocates.
    std::vector<std::string> texts(inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i)
        if (!ReadWhole(inputs[i].second, texts[i])) {
            std::cerr << "cannot read " << inputs[i].second << "\n";
            return 1;
        }

    int failures = 0;
    const std::string *reloadText = nullptr;
    std::string reloadShape;
    for (size_t input = 0; input < inputs.size(); ++input) {
        const std::string &shape = inputs[input].first;
        const std::string &text = texts[input];
        if (!reloadText && shape.rfind("rss", 0) == 0) {
            reloadText = &text;
            reloadShape = shape;
        }
        const double mb = static_cast<double>(text.size()) / 1e6;
        const double inputKb = static_cast<double>(text.size()) / 1024.0;

        std::vector<Sample> speed[EngineCount], tree[EngineCount];
        for (int round = 0; round < rounds; ++round)
            for (int which = 0; which < EngineCount; ++which) {
                speed[which].push_back(MeasureSpeed(which, text));
                tree[which].push_back(MeasureTree(which, text));
            }
        Figures all[EngineCount];
        for (int which = 0; which < EngineCount; ++which) {
            std::vector<double> cold, warm, write, treeKb;
            for (const Sample &sample : speed[which]) {
                all[which].ok = all[which].ok && sample.ok;
                cold.push_back(sample.cold);
                warm.push_back(sample.warm);
                write.push_back(sample.write);
                all[which].written = sample.written;
            }
            for (const Sample &sample : tree[which])
                treeKb.push_back(static_cast<double>(sample.treeKb));
            all[which].cold = Median(cold);
            all[which].warm = Median(warm);
            all[which].write = Median(write);
            all[which].treeKb = Median(treeKb);
        }

        std::cout << "\n" << shape << " (" << inputs[input].second << "): " << Fixed(mb, 1) << " MB\n";
        std::cout << "engine       cold parse MB/s  warm parse MB/s  write MB/s  written MB  tree MB  x input\n";
        for (int which = 0; which < EngineCount; ++which) {
            const std::string name = MakeEngine(which)->Name();
            const Figures &f = all[which];
            if (!f.ok) {
                std::cout << name << "  refused the text\n";
                if (which == Zel || which == Pugi || which == ZelDefault)
                    ++failures;
                continue;
            }
            std::cout << name << std::string(13 - name.size(), ' ') << Pad(Fixed(mb / f.cold, 0), 15)
                      << Pad(Fixed(mb / f.warm, 0), 17) << Pad(Fixed(mb / f.write, 0), 12)
                      << Pad(Fixed(static_cast<double>(f.written) / 1e6, 1), 12) << Pad(Fixed(f.treeKb / 1024.0, 1), 9)
                      << Pad(Fixed(f.treeKb / inputKb, 2), 9) << "\n";
        }
        const Figures &zel = all[Zel];
        if (!zel.ok)
            continue;
        for (int peer = 2; peer < ZelDefault; ++peer)
            if (all[peer].ok)
                std::cout << "zel / " << MakeEngine(peer)->Name() << ": cold parse " << Fixed(all[peer].cold / zel.cold, 2)
                          << "x  warm parse " << Fixed(all[peer].warm / zel.warm, 2) << "x  write "
                          << Fixed(all[peer].write / zel.write, 2) << "x  tree "
                          << Fixed(zel.treeKb / all[peer].treeKb, 2) << "x\n";
        const Figures &pugi = all[Pugi];
        if (!pugi.ok)
            continue;
        std::cout << "targets against pugixml (speed ratios: zel's speed / pugixml's, at least 1.00, parsing "
                     "\"empty\" shapes 1.10; tree: zel's / pugixml's, at most 1.00):\n";
        for (int mode : {Zel, ZelDefault}) {
            const Figures &own = all[mode];
            if (!own.ok)
                continue;
            const std::string what = shape + (mode == Zel ? "" : " (default mode)");
            const double cold = pugi.cold / own.cold, warm = pugi.warm / own.warm, write = pugi.write / own.write;
            const double memory = own.treeKb / pugi.treeKb;
            // Documents of tiny elements measure the cost per element, the cost that grows with
            // a feed: there the engine is to be clearly ahead.
            const double parseTarget = shape.rfind("empty", 0) == 0 ? 1.1 : 1.0;
            Target(what + " cold parse", cold, cold >= parseTarget,
                   Fixed(mb / own.cold, 0) + " vs " + Fixed(mb / pugi.cold, 0) + " MB/s");
            Target(what + " warm parse", warm, warm >= parseTarget,
                   Fixed(mb / own.warm, 0) + " vs " + Fixed(mb / pugi.warm, 0) + " MB/s");
            Target(what + " write", write, write >= 1.0, Fixed(mb / own.write, 0) + " vs " + Fixed(mb / pugi.write, 0) + " MB/s");
            Target(what + " tree memory", memory, memory <= 1.0,
                   Fixed(own.treeKb / 1024.0, 1) + " vs " + Fixed(pugi.treeKb / 1024.0, 1) + " MB");
        }
    }

    if (reloadText) {
        // Parse and free, and reading into the same document as the editor's reload does.
        for (bool inPlace : {false, true}) {
            std::cout << "\n" << (inPlace ? "reload into the same document object: " : "parse and free: ") << reloadShape
                      << " read " << reloads << " times in one process, rise of peak resident memory (median of "
                      << rounds << " rounds):\n";
            double once[2], repeated[2];
            for (int which : {Zel, Pugi}) {
                std::vector<double> one, many;
                for (int round = 0; round < rounds; ++round) {
                    one.push_back(static_cast<double>(MeasureReloads(which, *reloadText, 1, inPlace).peakKb));
                    many.push_back(static_cast<double>(MeasureReloads(which, *reloadText, reloads, inPlace).peakKb));
                }
                once[which] = Median(one);
                repeated[which] = Median(many);
                std::cout << "  " << MakeEngine(which)->Name() << ": " << Fixed(once[which] / 1024.0, 1)
                          << " MB after one read, " << Fixed(repeated[which] / 1024.0, 1) << " MB after " << reloads
                          << " (" << Fixed(repeated[which] / once[which], 2) << "x)\n";
            }
            const double growth = repeated[Zel] / once[Zel];
            Target(std::string(inPlace ? "re-read into one document" : "parse and free") + ", peak (" +
                       std::to_string(reloads) + " reads / one)",
                   growth, growth <= 1.2, "at most 1.20x; pugixml " + Fixed(repeated[Pugi] / once[Pugi], 2) + "x");
        }
    }

    std::cout << "\nsummary:\n";
    int failed = 0;
    for (const Verdict &verdict : verdicts) {
        std::cout << "  " << verdict.line << "\n";
        failed += verdict.pass ? 0 : 1;
    }
    std::cout << verdicts.size() - failed << " of " << verdicts.size() << " targets hold\n";
    xmlCleanupParser();
    return failures ? 1 : 0;
}
