// The TAL file reader: keyed fields and eight landmarks of three integers each.
#include <string>

#include "formats/key_table.h"
#include "formats/keyed_reader.h"
#include "formats/tal_record.h"

namespace zandrel {

const char* const landmarkKeys[landmark::Count] = {"AC:", "PC:", "AP:", "PP:", "SP:", "IP:", "RP:", "LP:"};

namespace {

const KeyEntry<TalRecord> kKeys[] = {
    {"FileVersion:", "FileVersion", &TalRecord::FileVersion},
    {"Project:", "Project", &TalRecord::Project},
    {"TALVMRFramingCube:", "TALVMRFramingCube", &TalRecord::TALVMRFramingCube},
    {"TALVMRVoxelRes:", "TALVMRVoxelRes", &TalRecord::TALVMRVoxelRes},
};

// Three integers on the key's line or the lines after it; false when not all three were
// read. A coordinate that fails to parse (a fraction stops at its point) keeps its
// previous value and ends the scan.
bool readLandmark(std::istream& in, Landmark& point) {
    return readNumber(in, point.x) && readNumber(in, point.y) && readNumber(in, point.z);
}

bool readLandmarkEntry(std::istream& in, const std::string& word, TalRecord& tal) {
    for (int i = 0; i < landmark::Count; ++i) {
        if (word == landmarkKeys[i]) {
            const std::size_t index = static_cast<std::size_t>(i);
            tal.landmarkRead[index] = readLandmark(in, tal.landmarks[index]);
            return true;
        }
    }
    return false;
}

}  // namespace

KeyTable<TalRecord> talKeys() { return makeKeyTable(kKeys); }

TalRecord readTalFile(const std::string& path) {
    TalRecord tal;
    tal.path = path;
    tal.FileVersion.value = -1;
    std::ifstream in = openForReading(path);

    scanKeys(in, talKeys(), tal, [&](const std::string& word, const KeyEntry<TalRecord>* entry) {
        if (entry == nullptr) readLandmarkEntry(in, word, tal);
    });
    return tal;
}

}  // namespace zandrel
