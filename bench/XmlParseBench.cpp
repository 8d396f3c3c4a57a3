// XmlParseBench.cpp: throughput and peak memory of the XML parser on a large catalogue file,
// against a bare baseline that reads the same file whole and scans it once (the floor).
// Usage: bench_xml_parse FILE [REPETITIONS]   (POSIX: each measurement runs in its own child
// process, so that its peak resident memory is its own)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "xml/XmlParser.h"

namespace {

using Clock = std::chrono::steady_clock;

// What one child reports back through its pipe.
struct Measurement {
  double seconds = 0;       // best complete run
  double parseSeconds = 0;  // parse part of that run (0 for the baseline)
  double walkSeconds = 0;
  double releaseSeconds = 0;
  long long records = 0;
  long long checksum = 0;
};

double since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The floor: one read of the whole file and one pass counting '<' and '='.
Measurement runBaseline(const char* path) {
  Measurement m;
  auto start = Clock::now();
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) std::exit(1);
  std::fseek(file, 0, SEEK_END);
  long size = std::ftell(file);
  std::fseek(file, 0, SEEK_SET);
  std::unique_ptr<char[]> buffer(new char[static_cast<std::size_t>(size) + 1]);
  if (std::fread(buffer.get(), 1, static_cast<std::size_t>(size), file) !=
      static_cast<std::size_t>(size)) {
    std::exit(1);
  }
  std::fclose(file);
  const char* end = buffer.get() + size;
  long long tags = 0;
  long long equals = 0;
  for (const char* p = buffer.get(); (p = static_cast<const char*>(std::memchr(p, '<', end - p)));
       ++p) {
    ++tags;
  }
  for (const char* p = buffer.get(); (p = static_cast<const char*>(std::memchr(p, '=', end - p)));
       ++p) {
    ++equals;
  }
  m.seconds = since(start);
  m.records = tags;
  m.checksum = equals;
  return m;
}

// The import's way: openFileHelper, then every record of every section with the attribute
// look-ups an import makes.
Measurement runParser(const char* path) {
  static const char* const kAttributes[] = {"code",    "name",    "form", "price", "validFrom",
                                            "validTo", "company", "atc",  "note"};
  Measurement m;
  auto start = Clock::now();
  {
    XmlElement root = openFileHelper(path, "Catalogues");
    if (root.isNull()) std::exit(1);
    m.parseSeconds = since(start);
    auto walkStart = Clock::now();
    for (int s = 0; s < root.childCount(); ++s) {
      XmlElement section = root.childAt(s);
      for (int r = 0; r < section.childCount(); ++r) {
        XmlElement record = section.childAt(r);
        for (const char* name : kAttributes) {
          if (const char* value = record.attributeValue(name)) m.checksum += value[0];
        }
        ++m.records;
      }
    }
    m.walkSeconds = since(walkStart);
    start = Clock::now() - std::chrono::duration_cast<Clock::duration>(
                               std::chrono::duration<double>(m.parseSeconds + m.walkSeconds));
  }
  m.seconds = since(start);
  m.releaseSeconds = m.seconds - m.parseSeconds - m.walkSeconds;
  return m;
}

// Runs `repetitions` times in a child process; returns the best run and the child's peak RSS.
Measurement measure(Measurement (*run)(const char*), const char* path, int repetitions,
                    long& peakKiB) {
  int fds[2];
  if (pipe(fds) != 0) std::exit(1);
  pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    Measurement best;
    for (int i = 0; i < repetitions; ++i) {
      Measurement m = run(path);
      if (i == 0 || m.seconds < best.seconds) best = m;
    }
    ssize_t written = write(fds[1], &best, sizeof best);
    _exit(written == static_cast<ssize_t>(sizeof best) ? 0 : 1);
  }
  close(fds[1]);
  Measurement m;
  ssize_t got = read(fds[0], &m, sizeof m);
  close(fds[0]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  if (got != static_cast<ssize_t>(sizeof m) || status != 0) {
    std::fprintf(stderr, "measurement failed\n");
    std::exit(1);
  }
  peakKiB = usage.ru_maxrss;
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE [REPETITIONS]\n", argv[0]);
    return 2;
  }
  const char* path = argv[1];
  int repetitions = argc > 2 ? std::atoi(argv[2]) : 3;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    std::perror(path);
    return 1;
  }
  std::fseek(file, 0, SEEK_END);
  double megabytes = static_cast<double>(std::ftell(file)) / (1024.0 * 1024.0);
  std::fclose(file);

  long baselineKiB = 0;
  long parserKiB = 0;
  Measurement baseline = measure(runBaseline, path, repetitions, baselineKiB);
  Measurement parser = measure(runParser, path, repetitions, parserKiB);

  std::printf("file: %s, %.1f MB, best of %d runs\n", path, megabytes, repetitions);
  std::printf("baseline (read whole + count '<' and '='): %8.1f ms  %7.1f MB/s  %lld tags\n",
              baseline.seconds * 1e3, megabytes / baseline.seconds, baseline.records);
  std::printf("parser (openFileHelper + walk + release):  %8.1f ms  %7.1f MB/s  %lld records\n",
              parser.seconds * 1e3, megabytes / parser.seconds, parser.records);
  std::printf("  load and parse %.1f ms (%.1f MB/s), walk %.1f ms, release %.1f ms\n",
              parser.parseSeconds * 1e3, megabytes / parser.parseSeconds, parser.walkSeconds * 1e3,
              parser.releaseSeconds * 1e3);
  std::printf("time ratio parser / baseline: %.2f\n", parser.seconds / baseline.seconds);
  std::printf("peak memory: baseline %.1f MB (%.2f x file), parser %.1f MB (%.2f x file)\n",
              baselineKiB / 1024.0, baselineKiB / 1024.0 / megabytes, parserKiB / 1024.0,
              parserKiB / 1024.0 / megabytes);
  return 0;
}
