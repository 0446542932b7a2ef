// Converts every set of a list file in memory, prints each set's VOI count and saves its
// .voi (and, in a build with NIfTI output, its label image, table and sidecar) where
// `zandrel convert` writes them.
#include <zandrel/zandrel.h>

#include <exception>
#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: consumer LIST\n";
        return 2;
    }
    std::cout << "zandrel " << zandrel::kVersion << "\n";
    for (const zandrel::OutputKind& kind : zandrel::outputKinds()) {
        std::cout << kind.option << (kind.available() ? " available\n" : " missing\n");
    }
    std::ifstream list(argv[1], std::ios::binary);
    zandrel::ListReader sets(list);
    zandrel::FileSet set;
    int failures = 0;
    while (sets.next(set)) {
        try {
            const zandrel::ConvertedSet converted = zandrel::convertInMemory(set);
            std::cout << set.roiPath << ": " << converted.voiFile.vois.size() << " VOIs\n";
            converted.voiFile.save();
#if ZANDREL_WITH_NIFTI
            zandrel::writeConvertedSetOutputs(set, converted, converted.voiFile.fileName, zandrel::NiftiMode::Labels);
#endif
        } catch (const std::exception& error) {
            std::cerr << set.roiPath << ": " << error.what() << "\n";
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
