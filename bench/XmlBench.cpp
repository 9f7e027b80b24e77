// Parses and writes the same in-memory feed text with the zel engine and with pugixml,
// tinyxml2 and libxml2, and prints the speeds, the ratios of zel to each peer and the
// memory each parsed tree costs.
//
//   xmlbench [--seconds S] FEED.xml...
//
// Speeds are input megabytes (10^6 bytes) per second, the best of repeated runs lasting
// about S seconds per operation ("cold parse": the first parse of a fresh process, page
// faults included). Memory is measured in a fresh child process per engine: the rise of
// peak RSS while parsing (the parser's own copy of the text included) and the RSS the
// finished tree keeps. Timings also run in a child per engine, so one engine's
// heap does not colour the next one's figures; a timed parse starts with the previous
// tree already destroyed and its memory kept in the heap (warm runs).
#include "zelXMLParser2.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <pugixml.hpp>
#include <tinyxml2.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <malloc.h>
#include <memory>
#include <sstream>
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
    // Destroys the tree, so that a timed parse does not pay for the previous one.
    virtual void Free() = 0;
};

class ZelEngine : public Engine {
public:
    // xml: the XML-compatible mode the editor reads feeds in.
    explicit ZelEngine(bool xml = false) : xml_(xml) {}
    const char *Name() const override { return xml_ ? "zel-xml" : "zel"; }
    bool Parse(const std::string &text) override
    {
        doc_ = std::make_unique<TzelXMLParser2>();
        doc_->SetXmlCompatible(xml_);
        doc_->SetSourceText(text);
        return doc_->LastError().empty();
    }
    size_t Write() override { return doc_->BuildXmlText().size(); }
    void Free() override { doc_.reset(); }

private:
    bool xml_;
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
private:
    xmlDocPtr doc_ = nullptr;
};

std::unique_ptr<Engine> MakeEngine(int which)
{
    switch (which) {
    case 0: return std::make_unique<ZelEngine>();
    case 1: return std::make_unique<PugiEngine>();
    case 2: return std::make_unique<TinyEngine>();
    case 3: return std::make_unique<LibXmlEngine>();
    default: return std::make_unique<ZelEngine>(true);
    }
}
constexpr int EngineCount = 5;
constexpr int PeerCount = 3; // engines 1..3; 0 and 4 are the zel engine's two modes

struct Figures {
    bool ok = false;
    double parseSeconds = 0;  // best run
    double writeSeconds = 0;  // best run
    double coldSeconds = 0;   // best first parse of a fresh process
    size_t written = 0;       // bytes of written text
    long peakKb = 0;          // rise of peak RSS while parsing
    long keptKb = 0;          // RSS the tree keeps after parsing
    long processPeakKb = 0;   // the child's whole peak RSS
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

// Runs body in a child process and returns the Figures it sends back.
Figures InChild(const std::function<Figures()> &body)
{
    int channel[2];
    if (pipe(channel) != 0)
        return {};
    std::cout.flush();
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const Figures figures = body();
        const ssize_t sent = write(channel[1], &figures, sizeof figures);
        _exit(sent == sizeof figures ? 0 : 1);
    }
    close(channel[1]);
    Figures figures;
    if (read(channel[0], &figures, sizeof figures) != sizeof figures)
        figures = {};
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return figures;
}

Figures MeasureMemory(int which, const std::string &text)
{
    return InChild([&] {
        Figures figures;
        std::unique_ptr<Engine> engine = MakeEngine(which);
        // Start the peak afresh from what the child inherited.
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = StatusKb("VmRSS:");
        figures.ok = engine->Parse(text);
        figures.peakKb = StatusKb("VmHWM:") - before;
        figures.keptKb = StatusKb("VmRSS:") - before;
        figures.processPeakKb = StatusKb("VmHWM:");
        return figures;
    });
}

// The best time of run, repeated for about the given seconds; prepare runs untimed first.
double BestOf(double seconds, const std::function<void()> &run, const std::function<void()> &prepare = [] {})
{
    using Clock = std::chrono::steady_clock;
    double best = 1e300;
    const auto start = Clock::now();
    for (int runs = 0; runs < 3 || std::chrono::duration<double>(Clock::now() - start).count() < seconds; ++runs) {
        prepare();
        const auto t0 = Clock::now();
        run();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
        if (runs >= 50)
            break;
    }
    return best;
}

Figures MeasureSpeed(int which, const std::string &text, double seconds)
{
    return InChild([&] {
        // Keep freed memory in the heap: every timed run then finds its pages already
        // mapped, and the figures show the engines' work, not the kernel's page faults.
        // No block may be mmapped either: a block above the mmap threshold (32 MiB at most)
        // would get fresh pages on every run, so a 100 MB engine's copy of the text would
        // fault or not depending on whether the tree freed before it left a hole that big.
        mallopt(M_TRIM_THRESHOLD, INT_MAX);
        mallopt(M_MMAP_MAX, 0);
        Figures figures;
        std::unique_ptr<Engine> engine = MakeEngine(which);
        figures.ok = engine->Parse(text);
        if (!figures.ok)
            return figures;
        figures.parseSeconds = BestOf(seconds, [&] { engine->Parse(text); }, [&] { engine->Free(); });
        figures.writeSeconds = BestOf(seconds, [&] { figures.written = engine->Write(); });
        return figures;
    });
}

// The first parse in a fresh process, as when the editor opens a feed: every page of the
// tree is new to the process. The best of three processes.
double MeasureColdParse(int which, const std::string &text)
{
    double best = 1e300;
    for (int run = 0; run < 3; ++run) {
        const Figures figures = InChild([&] {
            Figures f;
            std::unique_ptr<Engine> engine = MakeEngine(which);
            const auto t0 = std::chrono::steady_clock::now();
            f.ok = engine->Parse(text);
            f.coldSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            return f;
        });
        if (figures.ok)
            best = std::min(best, figures.coldSeconds);
    }
    return best;
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

} // namespace

int main(int argc, char **argv)
{
    double seconds = 2.0;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else
            files.push_back(argv[i]);
    }
    if (files.empty()) {
        std::cerr << "usage: xmlbench [--seconds S] FEED.xml...\n";
        return 2;
    }
    xmlInitParser();

    struct Row {
        double mb;
        Figures zel;
    };
    std::vector<Row> zelRows;
    int failures = 0;
    for (const std::string &file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::cerr << "cannot read " << file << "\n";
            return 1;
        }
        std::ostringstream buffer;
        buffer << in.rdbuf();
        const std::string text = buffer.str();
        const double mb = static_cast<double>(text.size()) / 1e6;
        const double inputKb = static_cast<double>(text.size()) / 1024.0;

        std::cout << "\n" << file << ": " << Fixed(mb, 1) << " MB\n";
        std::cout << "engine     parse MB/s  cold parse  write MB/s  written MB  tree peak MB  x input  tree kept MB  process peak MB\n";
        Figures all[EngineCount];
        for (int which = 0; which < EngineCount; ++which) {
            Figures speed = MeasureSpeed(which, text, seconds);
            const Figures memory = MeasureMemory(which, text);
            speed.peakKb = memory.peakKb;
            speed.keptKb = memory.keptKb;
            speed.processPeakKb = memory.processPeakKb;
            speed.coldSeconds = MeasureColdParse(which, text);
            all[which] = speed;
            const std::string name = MakeEngine(which)->Name();
            if (!speed.ok) {
                std::cout << name << "  refused the text\n";
                ++failures;
                continue;
            }
            std::cout << name << std::string(10 - name.size(), ' ')
                      << Pad(Fixed(mb / speed.parseSeconds, 0), 11) << Pad(Fixed(mb / speed.coldSeconds, 0), 12)
                      << Pad(Fixed(mb / speed.writeSeconds, 0), 12)
                      << Pad(Fixed(static_cast<double>(speed.written) / 1e6, 1), 12)
                      << Pad(Fixed(speed.peakKb / 1024.0, 1), 14) << Pad(Fixed(speed.peakKb / inputKb, 2), 9)
                      << Pad(Fixed(speed.keptKb / 1024.0, 1), 14) << Pad(Fixed(speed.processPeakKb / 1024.0, 1), 17)
                      << "\n";
        }
        for (int mode : {0, EngineCount - 1}) {
            const Figures &zel = all[mode];
            if (!zel.ok)
                continue;
            for (int peer = 1; peer <= PeerCount; ++peer) {
                if (!all[peer].ok)
                    continue;
                std::cout << MakeEngine(mode)->Name() << " / " << MakeEngine(peer)->Name() << ": parse "
                          << Fixed(all[peer].parseSeconds / zel.parseSeconds, 2) << "x  cold parse "
                          << Fixed(all[peer].coldSeconds / zel.coldSeconds, 2) << "x  write "
                          << Fixed(all[peer].writeSeconds / zel.writeSeconds, 2) << "x  tree peak "
                          << Fixed(static_cast<double>(zel.peakKb) / static_cast<double>(all[peer].peakKb), 2) << "x\n";
            }
            if (mode == 0)
                zelRows.push_back({mb, zel});
        }
    }

    // Growth: each file's cost against the first one's, beside the growth of the input.
    if (zelRows.size() > 1) {
        std::cout << "\nzel growth against " << Fixed(zelRows[0].mb, 1) << " MB:\n";
        for (size_t i = 1; i < zelRows.size(); ++i) {
            const Row &row = zelRows[i];
            const Row &base = zelRows[0];
            std::cout << "  " << Fixed(row.mb, 1) << " MB (input x" << Fixed(row.mb / base.mb, 1) << "): parse time x"
                      << Fixed(row.zel.parseSeconds / base.zel.parseSeconds, 1) << ", cold parse time x"
                      << Fixed(row.zel.coldSeconds / base.zel.coldSeconds, 1) << ", write time x"
                      << Fixed(row.zel.writeSeconds / base.zel.writeSeconds, 1) << ", tree peak x"
                      << Fixed(static_cast<double>(row.zel.peakKb) / static_cast<double>(base.zel.peakKb), 1) << "\n";
        }
    }
    xmlCleanupParser();
    return failures ? 1 : 0;
}
