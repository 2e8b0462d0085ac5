// A host program of the kavren library: one EAN-13 label (or the symbology
// and data given) written to a file, or to standard output for "-".
//
//   label OUT.png [SYMBOLOGY-NUMBER DATA]
#include <kavren/kavren.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char* argv[])
{
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: %s OUT.png [SYMBOLOGY-NUMBER DATA]\n", argv[0]);
        return 2;
    }
    kavren::Options options;
    options.symbology = kavren::Symbology::Ean13;
    options.data = "590123412345";
    if (argc == 4) {
        options.symbology = static_cast<kavren::Symbology>(std::atoi(argv[2]));
        options.data = argv[3];
    }
    options.textAlign = kavren::TextAlign::EanLeadingOutside;
    options.xDimension = 3;
    // Reproducible files: the PNG time stamp from SOURCE_DATE_EPOCH when set.
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"))
        options.timestamp = std::strtoll(epoch, nullptr, 10);

    const kavren::Result result = kavren::Render(options);
    if (!result) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(result.message.size()), result.message.data());
        if (!result.detail.empty())
            std::fprintf(stderr, "%s\n", result.detail.c_str());
        return static_cast<int>(result.status);
    }

    const std::string path = argv[1];
    std::FILE* out = path == "-" ? stdout : std::fopen(path.c_str(), "wb");
    if (!out) {
        std::perror(path.c_str());
        return 1;
    }
    const bool written = std::fwrite(result.bytes.data(), 1, result.bytes.size(), out) == result.bytes.size();
    const bool closed = (out == stdout ? std::fflush(out) : std::fclose(out)) == 0;
    return written && closed ? 0 : 1;
}
