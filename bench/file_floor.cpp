// The file system's share of a batch: writes COUNT copies of one document
// into FOLDER the way every output file is written (look at the target, a new
// temporary file beside it, one write, close, rename over the target), on
// THREADS threads, and nothing else. What a batch of the same files costs
// above this is rendering and bookkeeping; a target below it cannot be met by
// any renderer that keeps files complete or absent.
//
//   bench_file_floor DOCUMENT FOLDER COUNT THREADS
//
// File names are FOLDER/f-00001 and up, so a second run replaces the first
// run's files as a second batch does.
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Every THREADS-th file from `first`.
bool WriteShare(const std::string& document, const std::string& folder, long count, long threads, long first)
{
    char target[4096];
    char temporary[4096];
    for (long i = first; i < count; i += threads) {
        std::snprintf(target, sizeof target, "%s/f-%05ld", folder.c_str(), i + 1);
        std::snprintf(temporary, sizeof temporary, "%s/.floor-%05ld", folder.c_str(), i + 1);
        struct stat st {};
        lstat(target, &st);
        const int fd = open(temporary, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0)
            return false;
        const bool written = WriteAll(fd, document);
        if (close(fd) != 0 || !written || rename(temporary, target) != 0)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: bench_file_floor DOCUMENT FOLDER COUNT THREADS\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const bool opened = in.is_open();
    const std::string document{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string folder = argv[2];
    const long count = std::atol(argv[3]);
    const long threads = std::atol(argv[4]);
    if (!opened || count < 1 || threads < 1) {
        std::fprintf(stderr, "bench_file_floor: bad arguments\n");
        return 2;
    }
    std::vector<std::thread> others;
    std::vector<char> ok(static_cast<std::size_t>(threads), 0);
    for (long t = 1; t < threads; ++t)
        others.emplace_back(
            [&, t] { ok[static_cast<std::size_t>(t)] = WriteShare(document, folder, count, threads, t); });
    ok[0] = WriteShare(document, folder, count, threads, 0);
    for (std::thread& other : others)
        other.join();
    for (const char good : ok)
        if (!good) {
            std::perror("bench_file_floor");
            return 1;
        }
    return 0;
}
